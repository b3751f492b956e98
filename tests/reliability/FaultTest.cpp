// Faults of the file system that a run must report and stop on, never pass over in silence:
// each case sets up the tree, runs vantrel-gen, and checks its messages, status and the tree.
// These need links, devices or limits; the other faults are cases of tests/data/runs.
#include "support/GeneratorProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

using Files = std::vector<std::pair<std::string, std::string>>;

constexpr const char* MISSING = "<missing>";
constexpr const char* CONFIG = "templatedirectory = \"tpl\"\n"
                               "piinc = \"kit\\pi.h\"\n"
                               "BIG = \"kit\\big.h\", \"big.h\"\n";
constexpr const char* TEMPLATE = "filesection: main\n"
                                 "// %PROJECTNAME%\n"
                                 "filesectionend:\n"
                                 "filesection: big\n"
                                 "@FOR 0 TO ALL_ACTIONS\n"
                                 "%BIGLINE%\n"
                                 "@ENDFOR\n";
constexpr const char* PROJECT = R"({"host": "KEL", "name": "Demo", "location": "out",
                                    "actions": [{"name": "Line"}, {"name": "Arc"}]})";
const std::string MAKE_FOLDER = "create_directory: \"%PROJECTNAME%\"\n";
const std::string AFTER = "create_directory: \"after\"\n";

// A copy source and a section output both far beyond a 16-block file-size limit.
const std::string BIG_CONTENT(200 * 1024, 'x');

struct FaultCase {
    const char* name;
    std::function<void(const fs::path& work)> prepare;
    std::string script;
    std::string expectedOut;
    std::string expectedErr;
    int expectedStatus;
    Files expectedFiles; // content, or MISSING
    std::string shellPrefix = {};
    // Written over even where no record proves the old bytes: what is tested is the write.
    bool overwriteEdited = false;
};

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.name;
}

void link(const fs::path& work, const std::string& link, const std::string& target) {
    fs::create_directories((work / link).parent_path());
    fs::create_symlink(target, work / link);
}

class FaultRun : public testing::TestWithParam<FaultCase> {
protected:
    void SetUp() override {
        m_work.write("vantrel.cfg", CONFIG);
        m_work.write("kit/pi.h", "// pi\n");
        m_work.write("kit/big.h", BIG_CONTENT);
        m_work.write("tpl/plugin.tpl", TEMPLATE);
        m_work.write("project.json", PROJECT);
    }

    TempFolder m_work;
};

TEST_P(FaultRun, IsReportedAndStops) {
    const FaultCase& c = GetParam();
    if (c.prepare)
        c.prepare(m_work.path());
    m_work.write("kelpi.tpl", c.script);

    const ProcessResult result = runGeneratorIn(
        m_work.path(),
        c.overwriteEdited ? std::vector<std::string>{"--overwrite-edited", "project.json"}
                          : std::vector<std::string>{"project.json"},
        c.shellPrefix);
    EXPECT_EQ(result.err, c.expectedErr);
    EXPECT_EQ(result.out, c.expectedOut);
    EXPECT_EQ(result.status, c.expectedStatus);
    for (const auto& [path, content] : c.expectedFiles)
        EXPECT_EQ(readFile(m_work.path() / path), content) << path;
    EXPECT_FALSE(fs::exists(m_work.path() / "out/after"));
    // A replacement that failed leaves no temporary file behind.
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(m_work.path()))
        EXPECT_EQ(entry.path().filename().string().find(".vantrel-"), std::string::npos)
            << entry.path();
}

std::string caseName(const testing::TestParamInfo<FaultCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    FailingWrites, FaultRun,
    testing::Values(
        FaultCase{"CopyOntoFullDeviceThroughLink",
                  [](const fs::path& work) { link(work, "out/Demo/pi.h", "/dev/full"); },
                  MAKE_FOLDER + "copy_file: %piinc% \"%PROJECTNAME%\"\n" + AFTER,
                  "",
                  "Open file error:\nout/Demo/pi.h\n",
                  1,
                  {}},
        FaultCase{"SectionOntoFullDeviceThroughLink",
                  [](const fs::path& work) { link(work, "out/Demo/a.txt", "/dev/full"); },
                  MAKE_FOLDER + "create_file: \"a.txt\" \"main\" \"plugin.tpl\"\n" + AFTER,
                  "",
                  "Open file error:\nout/Demo/a.txt\n",
                  1,
                  {}},
        FaultCase{"CopyBeyondFileSizeLimit",
                  nullptr,
                  MAKE_FOLDER + "copy_file: %BIG% \"%PROJECTNAME%\"\n" + AFTER,
                  "out\nout/Demo\n",
                  "Open file error:\nout/Demo/big.h\n",
                  1,
                  {},
                  "ulimit -f 16 &&"},
        FaultCase{"SectionBeyondFileSizeLimit",
                  [](const fs::path& work) {
                      writeAt(work / "vantrel.cfg",
                              std::string(CONFIG) + "BIGLINE = \"" + BIG_CONTENT + "\", \"x\"\n");
                  },
                  MAKE_FOLDER + "create_file: \"big.txt\" \"big\" \"plugin.tpl\"\n" + AFTER,
                  "out\nout/Demo\n",
                  "Open file error:\nout/Demo/big.txt\n",
                  1,
                  {},
                  "ulimit -f 16 &&"},
        // An existing file is replaced whole or not at all: past the limit its old bytes stay.
        FaultCase{"CopyReplacingBeyondFileSizeLimitKeepsTheOldFile",
                  [](const fs::path& work) { writeAt(work / "out/Demo/big.h", "old copy\n"); },
                  MAKE_FOLDER + "copy_file: %BIG% \"%PROJECTNAME%\"\n" + AFTER,
                  "",
                  "Open file error:\nout/Demo/big.h\n",
                  1,
                  {{"out/Demo/big.h", "old copy\n"}},
                  "ulimit -f 16 &&",
                  true},
        FaultCase{"SectionReplacingBeyondFileSizeLimitKeepsTheOldFile",
                  [](const fs::path& work) {
                      writeAt(work / "vantrel.cfg",
                              std::string(CONFIG) + "BIGLINE = \"" + BIG_CONTENT + "\", \"x\"\n");
                      writeAt(work / "out/Demo/big.txt", "old section\n");
                  },
                  MAKE_FOLDER + "create_file: \"big.txt\" \"big\" \"plugin.tpl\"\n" + AFTER,
                  "",
                  "Open file error:\nout/Demo/big.txt\n",
                  1,
                  {{"out/Demo/big.txt", "old section\n"}},
                  "ulimit -f 16 &&",
                  true}),
    caseName);

// Links that exist inside the location but lead out of it: nothing is written through them.
INSTANTIATE_TEST_SUITE_P(
    LinksLeadingOut, FaultRun,
    testing::Values(
        FaultCase{"ProjectFolderLinkedElsewhere",
                  [](const fs::path& work) {
                      fs::create_directories(work / "elsewhere");
                      link(work, "out/Demo", "../elsewhere");
                  },
                  MAKE_FOLDER + "create_file: \"a.txt\" \"main\" \"plugin.tpl\"\n" + AFTER,
                  "",
                  "Open file error:\nout/Demo\n",
                  1,
                  {{"elsewhere/a.txt", MISSING}}},
        FaultCase{"FileThroughLinkedFolder",
                  [](const fs::path& work) {
                      fs::create_directories(work / "elsewhere");
                      link(work, "out/Demo", "../elsewhere");
                  },
                  "create_file: \"a.txt\" \"main\" \"plugin.tpl\"\n"
                  "copy_file: %piinc% \"%PROJECTNAME%\"\n" +
                      AFTER,
                  "",
                  "Open file error:\nout/Demo/a.txt\n",
                  1,
                  {{"elsewhere/a.txt", MISSING}, {"elsewhere/pi.h", MISSING}}},
        FaultCase{"DanglingLinkAsSectionTarget",
                  [](const fs::path& work) { link(work, "out/Demo/a.txt", "../../made.txt"); },
                  MAKE_FOLDER + "create_file: \"a.txt\" \"main\" \"plugin.tpl\"\n" + AFTER,
                  "",
                  "Open file error:\nout/Demo/a.txt\n",
                  1,
                  {{"made.txt", MISSING}}},
        FaultCase{"DanglingLinkChainAsCopyTarget",
                  [](const fs::path& work) {
                      link(work, "out/Demo/pi.h", "hop.h");
                      link(work, "out/Demo/hop.h", "../../made.h");
                  },
                  MAKE_FOLDER + "copy_file: %piinc% \"%PROJECTNAME%\"\n" + AFTER,
                  "",
                  "Open file error:\nout/Demo/pi.h\n",
                  1,
                  {{"made.h", MISSING}}},
        FaultCase{"LinkInsideLocationIsFollowed",
                  [](const fs::path& work) {
                      fs::create_directories(work / "out/real");
                      link(work, "out/Demo", "real");
                  },
                  MAKE_FOLDER + "copy_file: %piinc% \"%PROJECTNAME%\"\n",
                  "out/Demo/pi.h\n",
                  "",
                  0,
                  {{"out/real/pi.h", "// pi\n"}}}),
    caseName);

} // namespace
} // namespace vantrel
