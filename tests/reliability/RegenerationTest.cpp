// A second run into a project that holds the first run's output: identical files are not
// touched (their times stay, so the plug-in's build does not recompile them), a file whose
// bytes change is replaced with its permission bits kept, and the listing names every target.
#include "support/GeneratorProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

TEST(Regeneration, LeavesIdenticalFilesAloneAndReplacesChangedOnes) {
    TempFolder work;
    work.write("vantrel.cfg", "templatedirectory = \"tpl\"\npiinc = \"kit\\pi.h\"\n");
    work.write("kit/pi.h", "// pi\n");
    work.write("tpl/plugin.tpl", "filesection: main\n// %PROJECTNAME%\n"
                                 "filesection: action\n// %ACTIONNAME%\n");
    work.write("kelpi.tpl", "create_directory: \"%PROJECTNAME%\"\n"
                            "copy_file: %piinc% \"%PROJECTNAME%\"\n"
                            "create_file: \"main.cpp\" \"main\" \"plugin.tpl\"\n"
                            "@FOR 0 TO ALL_ACTIONS\n"
                            "create_file: \"%ACTIONNAME%.cpp\" \"action\" \"plugin.tpl\"\n"
                            "@ENDFOR\n");
    work.write("project.json", R"({"host": "KEL", "name": "Demo", "location": "out",
                                   "actions": [{"name": "Line"}, {"name": "Arc"}]})");
    const ProcessResult first = runGeneratorIn(work.path(), {"project.json"});
    ASSERT_EQ(first.status, 0) << first.err;

    const fs::path demo = work.path() / "out/Demo";
    const auto past = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const char* name : {"pi.h", "main.cpp", "Line.cpp", "Arc.cpp"})
        fs::last_write_time(demo / name, past);
    writeAt(demo / "Line.cpp", "// edited\n");
    writeAt(demo / "pi.h", "// old kit\n");
    ::chmod((demo / "Line.cpp").c_str(), 0600);
    const auto inode = [](const fs::path& path) {
        struct stat info {};
        ::stat(path.c_str(), &info);
        return info.st_ino;
    };
    const auto arcInode = inode(demo / "Arc.cpp");

    const ProcessResult second =
        runGeneratorIn(work.path(), {"--overwrite-edited", "project.json"});
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(second.err, "");
    EXPECT_EQ(second.out,
              "out/Demo/pi.h\nout/Demo/main.cpp\nout/Demo/Line.cpp\nout/Demo/Arc.cpp\n");
    EXPECT_EQ(fs::last_write_time(demo / "main.cpp"), past);
    EXPECT_EQ(fs::last_write_time(demo / "Arc.cpp"), past);
    EXPECT_EQ(inode(demo / "Arc.cpp"), arcInode);
    EXPECT_EQ(readFile(demo / "Line.cpp"), "// Line\n");
    EXPECT_EQ(readFile(demo / "pi.h"), "// pi\n");
    EXPECT_EQ(fs::status(demo / "Line.cpp").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

} // namespace
} // namespace vantrel
