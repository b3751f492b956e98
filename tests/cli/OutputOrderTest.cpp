#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>

namespace vantrel {
namespace {

// The listing on standard output is buffered, yet when both streams go to one file a message
// still follows the lines of everything done before it, and later lines follow the message.
TEST(OutputOrder, MessagesAndListingInterleaveAsTheyHappen) {
    TempFolder tmp;
    tmp.write("vantrel.cfg", "templatedirectory = \"tpl\"\nkeltemplate = \"kel.script\"\n");
    tmp.write("tpl/plugin.tpl", "filesection: main\n// %PROJECTNAME%\nfilesectionend:\n"
                                "filesection: check\n@ASSERT ACDF_MENU\nchecked\n");
    tmp.write("kel.script", "create_directory: \"%PROJECTNAME%\"\n"
                            "create_file: \"first.cpp\" \"main\" \"plugin.tpl\"\n"
                            "create_file: \"checked.txt\" \"check\" \"plugin.tpl\"\n"
                            "create_file: \"last.cpp\" \"main\" \"plugin.tpl\"\n"
                            "create_file: \"x.cpp\" \"absent\" \"plugin.tpl\"\n");
    tmp.write("demo.json", "{\"host\": \"KEL\", \"name\": \"Demo\", \"location\": \"out\","
                           " \"actions\": [{\"name\": \"Line\", \"flags\": 0}]}");
    const std::string folder = tmp.path().string();
    const std::string merged = folder + "/merged.txt";
    const std::string command = "cd '" + folder + "' && timeout 30 '" + VANTREL_GEN_PATH +
                                "' demo.json >'" + merged + "' 2>&1";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 1);
    EXPECT_EQ(readFile(merged), "out\n"
                                "out/Demo\n"
                                "out/Demo/first.cpp\n"
                                "ASSERT:\nObject must be defined:\nLine::ACDF_MENU\n"
                                "out/Demo/checked.txt\n"
                                "out/Demo/last.cpp\n"
                                "Section not found:\nkel.script\nabsent\n");
}

} // namespace
} // namespace vantrel
