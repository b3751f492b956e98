#include "support/GeneratorProcess.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel {
namespace {

// --verbose adds the place of each message of a run that a line caused, after the message;
// without it standard error is as it always was.
TEST(VerboseRun, PrintsThePlaceAfterEachMessage) {
    const TempFolder work;
    work.write("vantrel.cfg", "keltemplate = \"kel.vts\"\n"
                              "templatedirectory = \"templates\"\n"
                              "LOOP = \"%LOOP%%LOOP%\", \"x\"\n");
    work.write("project.json", R"({"host": "KEL", "name": "Demo", "location": "out",
                                   "actions": [{"name": "Line"}]})");
    work.write("out/.keep", "");
    work.write("templates/main.tpl", "filesection: main\n"
                                     "@ASSERT USING_STATIC_MEMORY_BUF\n"
                                     "%LOOP%\n"
                                     "filesectionend:\n");
    work.write("kel.vts", "create_directory: \"%PROJECTNAME%\"\n"
                          "create_file: \"a.txt\" \"main\" \"main.tpl\"\n"
                          "create_file: \"b.txt\" \"nosuch\" \"main.tpl\"\n");
    const std::string assertion =
        "ASSERT:\nObject must be defined:\nLine::USING_STATIC_MEMORY_BUF\n";
    const std::string missing = "Section not found:\nkel.vts\nnosuch\n";
    const std::string runaway =
        "vantrel-gen: warning: expansion of %LOOP% stopped in section "
        "\"main\" of out/Demo/a.txt: a value feeds its own placeholder; the rest "
        "is kept as it stands\n";

    ProcessResult result = runGeneratorIn(work.path(), {"--warnings", "project.json"});
    EXPECT_EQ(result.err, assertion + runaway + missing);
    EXPECT_EQ(result.status, 1);

    result = runGeneratorIn(work.path(), {"--warnings", "--verbose", "project.json"});
    // A place met while a file was written names that file, as the run expanded its name.
    EXPECT_EQ(result.err, assertion + "templates/main.tpl:2:\n" + runaway +
                              "templates/main.tpl:3: writing out/Demo/a.txt\n" + missing +
                              "kel.vts:3: writing out/Demo/b.txt\n");
    EXPECT_EQ(result.status, 1);
}

} // namespace
} // namespace vantrel
