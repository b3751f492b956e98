// The preview is the run: for every way the disk can refuse a write, --dry-run gives the label
// and exit status the run then gives, and writes nothing.
#include "support/GeneratorProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sys/stat.h>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

struct Refusal {
    const char* name;
    std::function<void(const fs::path& work)> prepare; // after a first run into out/Demo
    int status;
    const char* label; // the preview's line for out/Demo/Line.cpp
};

class PreviewIsTheRun : public testing::TestWithParam<Refusal> {};

TEST_P(PreviewIsTheRun, ForEveryRefusal) {
    const Refusal& refusal = GetParam();
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
                                   "actions": [{"name": "Line"}]})");
    ASSERT_EQ(runGeneratorIn(work.path(), {"project.json"}).status, 0);
    // The template changes, so the run has something to write into every file.
    work.write("tpl/plugin.tpl", "filesection: main\n// %PROJECTNAME% 2\n"
                                 "filesection: action\n// %ACTIONNAME% 2\n");
    refusal.prepare(work.path());
    const auto before = treeBelow(work.path());

    const ProcessResult preview = runGeneratorIn(work.path(), {"--dry-run", "project.json"});
    EXPECT_EQ(treeBelow(work.path()), before) << "the preview wrote";
    const ProcessResult run = runGeneratorIn(work.path(), {"project.json"});
    EXPECT_EQ(preview.status, run.status) << preview.err << "\n" << run.err;
    EXPECT_EQ(run.status, refusal.status) << run.err;
    EXPECT_NE(preview.out.find(std::string(refusal.label) + " out/Demo/Line.cpp\n"),
              std::string::npos)
        << preview.out;
    // The messages are the run's, but for the listing the run prints beside them.
    EXPECT_EQ(preview.err, run.err);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, PreviewIsTheRun,
    testing::Values(
        Refusal{"Nothing", [](const fs::path&) {}, 0, "replaced"},
        Refusal{"WriteProtectedFile",
                [](const fs::path& work) { ::chmod((work / "out/Demo/Line.cpp").c_str(), 0444); },
                1, "refused"},
        Refusal{"LinkLeadingOut",
                [](const fs::path& work) {
                    writeAt(work / "elsewhere/Line.cpp", "// Line\n");
                    fs::remove(work / "out/Demo/Line.cpp");
                    fs::create_symlink(work / "elsewhere/Line.cpp", work / "out/Demo/Line.cpp");
                },
                1, "refused"},
        Refusal{"LinkInsideToTheGeneratedBytes",
                [](const fs::path& work) {
                    fs::rename(work / "out/Demo/Line.cpp", work / "out/Line.cpp");
                    fs::create_symlink(work / "out/Line.cpp", work / "out/Demo/Line.cpp");
                },
                0, "replaced"},
        Refusal{"FolderInItsPlace",
                [](const fs::path& work) {
                    fs::remove(work / "out/Demo/Line.cpp");
                    fs::create_directory(work / "out/Demo/Line.cpp");
                },
                1, "blocked"},
        Refusal{"EditedAndTheTemplateChanged",
                [](const fs::path& work) { writeAt(work / "out/Demo/Line.cpp", "// mine\n"); }, 3,
                "conflict"}),
    [](const testing::TestParamInfo<Refusal>& info) { return info.param.name; });

// A project of one file, main.cpp, generated into out/Demo.
void writeOneFileProject(const TempFolder& work) {
    work.write("vantrel.cfg", "templatedirectory = \"tpl\"\n");
    work.write("tpl/plugin.tpl", "filesection: main\n// %PROJECTNAME%\n");
    work.write("kelpi.tpl", "create_directory: \"%PROJECTNAME%\"\n"
                            "create_file: \"main.cpp\" \"main\" \"plugin.tpl\"\n");
    work.write("project.json", R"({"host": "KEL", "name": "Demo", "location": "out",
                                   "actions": [{"name": "Line"}]})");
}

// A location the run makes (below the working folder) is new to both.
TEST(PreviewIsTheRun, ForALocationNotMadeYet) {
    TempFolder work;
    writeOneFileProject(work);
    const ProcessResult preview = runGeneratorIn(work.path(), {"--dry-run", "project.json"});
    EXPECT_EQ(preview.status, 0) << preview.err;
    EXPECT_EQ(preview.out, "new out/Demo\nnew out/Demo/main.cpp\n");
    EXPECT_FALSE(fs::exists(work.path() / "out"));
    EXPECT_EQ(runGeneratorIn(work.path(), {"project.json"}).status, 0);
}

// A project folder that is a link leading out of the location is refused by both alike.
TEST(PreviewIsTheRun, ForAProjectFolderLinkedOut) {
    TempFolder work;
    writeOneFileProject(work);
    fs::create_directories(work.path() / "elsewhere");
    fs::create_directories(work.path() / "out");
    fs::create_directory_symlink(work.path() / "elsewhere", work.path() / "out/Demo");
    const ProcessResult preview = runGeneratorIn(work.path(), {"--dry-run", "project.json"});
    const ProcessResult run = runGeneratorIn(work.path(), {"project.json"});
    EXPECT_EQ(preview.status, 1) << preview.err;
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(preview.err, run.err);
    EXPECT_TRUE(fs::is_empty(work.path() / "elsewhere"));
}

} // namespace
} // namespace vantrel
