#include "engine/Engine.h"
#include "support/RecordingSink.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

// Folders are resolved once per run for the many files written into them; the name of each file
// is still looked at every time, so a link among many plain files cannot lead out.
TEST(LocationCheck, LinkAmongPlainFilesOfOneFolderIsRefused) {
    TempFolder tmp;
    ProjectState project;
    project.projectName = "Demo";
    project.kelHost = 1;
    project.projectLocation = (tmp.path() / "out").string();
    project.templatedirectory = (tmp.path() / "tpl").string();
    tmp.write("tpl/t.tpl", "filesection: s\n%ACTIONNAME%\n");
    project.keltemplate = tmp.write("kel.script", "create_directory: \"%PROJECTNAME%\"\n"
                                                  "@FOR 0 TO ALL_ACTIONS\n"
                                                  "create_file: \"%ACTIONNAME%\" \"s\" \"t.tpl\"\n"
                                                  "@ENDFOR\n")
                              .string();
    for (const char* name : {"a", "b", "leak", "c"}) {
        ActionDefinition action;
        action.name = name;
        project.actions.push_back(action);
    }
    fs::create_directories(tmp.path() / "out/Demo");
    fs::create_directories(tmp.path() / "elsewhere");
    fs::create_symlink(tmp.path() / "elsewhere/leak", tmp.path() / "out/Demo/leak");
    RecordingSink sink;
    Engine generator(project, sink);

    EXPECT_FALSE(generator.runScript());
    EXPECT_EQ(sink.texts(), std::vector<std::string>{"Open file error:\n" +
                                                     project.projectLocation + "/Demo/leak"});
    EXPECT_EQ(readFile(tmp.path() / "out/Demo/a"), "a\n");
    EXPECT_EQ(readFile(tmp.path() / "out/Demo/b"), "b\n");
    EXPECT_FALSE(fs::exists(tmp.path() / "elsewhere/leak"));
    EXPECT_FALSE(fs::exists(tmp.path() / "out/Demo/c"));
}

} // namespace
} // namespace vantrel
