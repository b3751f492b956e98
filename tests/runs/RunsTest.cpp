// Whole runs described as data: each folder of tests/data/runs holds the inputs of one run, as
// they differ from the shared base, and everything it must give (tests/data/runs/README.md).
// Whatever runs a case, it must give exactly that: the tree, the listing, the messages and the
// exit status.
#include "MemoryDriver.h"
#include "RunDriver.h"
#include "VantrelGenDriver.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace vantrel::runs {
namespace {

// Stands for the working folder in the expected stdout and stderr.
constexpr std::string_view WORK_TOKEN = "@WORK@";

fs::path runsFolder() {
    return VANTREL_RUNS_DIR;
}

std::vector<std::string> caseNames() {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(runsFolder()))
        if (entry.is_directory() && entry.path().filename() != BASE_FOLDER)
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string withToken(std::string text, const std::string& workPath) {
    for (std::size_t at = text.find(workPath); !workPath.empty() && at != std::string::npos;
         at = text.find(workPath, at + WORK_TOKEN.size()))
        text.replace(at, workPath.size(), WORK_TOKEN);
    return text;
}

std::string described(const Entry& entry) {
    switch (entry.kind) {
    case Entry::Kind::Folder:
        return "a folder";
    case Entry::Kind::Link:
        return "a link to " + entry.content;
    case Entry::Kind::Removed:
        return "removed";
    case Entry::Kind::File:
        break;
    }
    std::string text = "a file of " + std::to_string(entry.content.size()) + " bytes";
    if (entry.content.size() <= 200)
        text += " \"" + entry.content + "\"";
    return text;
}

// One line per path where the trees differ.
std::string treeDifferences(const Tree& expected, const Tree& actual) {
    std::set<std::string> paths;
    for (const Tree* tree : {&expected, &actual})
        for (const auto& [path, entry] : *tree)
            paths.insert(path);
    std::ostringstream lines;
    for (const std::string& path : paths) {
        const auto want = expected.find(path);
        const auto got = actual.find(path);
        if (got == actual.end())
            lines << path << ": missing, expected " << described(want->second) << '\n';
        else if (want == expected.end())
            lines << path << ": not expected, " << described(got->second) << '\n';
        else if (!(want->second == got->second))
            lines << path << ": expected " << described(want->second) << ", got "
                  << described(got->second) << '\n';
    }
    return lines.str();
}

bool inRecord(const std::string& path) {
    return path.find("/.vantrel/") != std::string::npos || path.ends_with("/.vantrel");
}

// The record a run keeps is compared only where a case expects one. Without it, a project
// folder the run made would show only through the record in it.
Tree withoutUnexpectedRecord(Tree actual, const Tree& expected, const Tree& inputs) {
    const auto hasRecord = [](const auto& item) {
        return inRecord(item.first);
    };
    if (std::any_of(expected.begin(), expected.end(), hasRecord))
        return actual;
    for (const auto& [path, entry] : actual) {
        if (!inRecord(path))
            continue;
        const std::string holder = path.substr(0, path.find("/.vantrel"));
        const auto below = inputs.lower_bound(holder);
        if (below == inputs.end() ||
            (below->first != holder && !below->first.starts_with(holder + "/")))
            actual.try_emplace(holder, Entry{Entry::Kind::Folder, {}});
    }
    std::erase_if(actual, hasRecord);
    return changes({}, actual);
}

// The comparison, the same for every driver.
void expectAsGolden(const RunOutcome& outcome, const fs::path& caseFolder, const fs::path& work) {
    const Tree inputs = caseInputs(caseFolder);
    const Expected expected = readExpected(caseFolder, inputs);
    EXPECT_EQ(withToken(outcome.err, work.string()), expected.err);
    EXPECT_EQ(withToken(outcome.out, work.string()), expected.out);
    EXPECT_EQ(outcome.status, expected.status);
    const Tree actual = withoutUnexpectedRecord(outcome.tree, expected.tree, inputs);
    EXPECT_EQ(treeDifferences(expected.tree, actual), "");
}

// The working folder is the only entry of a fresh folder, so that a run which climbs out of it
// shows there.
class GoldenRun : public testing::TestWithParam<std::string> {
protected:
    GoldenRun() { fs::create_directory(m_work); }

    void TearDown() override {
        for (const fs::directory_entry& entry : fs::directory_iterator(m_temp.path()))
            EXPECT_EQ(entry.path(), m_work) << "written beside the working folder";
    }

    fs::path caseFolder() const { return runsFolder() / GetParam(); }

    TempFolder m_temp;
    const fs::path m_work = m_temp.path() / "work";
};

TEST_P(GoldenRun, ThroughVantrelGen) {
    expectAsGolden(VantrelGenDriver().run(caseFolder(), m_work), caseFolder(), m_work);
}

TEST_P(GoldenRun, ThroughTheInMemoryTree) {
    if (fs::exists(caseFolder() / "disk-only"))
        GTEST_SKIP() << readFile(caseFolder() / "disk-only");
    expectAsGolden(MemoryDriver().run(caseFolder(), m_work), caseFolder(), m_work);
}

// A line the expected file does not know must fail the case: read loosely, it would drop what
// follows it from the comparison.
TEST(ExpectedFile, ReadsEveryKindOfLineAndRefusesTheRest) {
    using enum Entry::Kind;
    const Tree inputs = {{"kit/pi.h", {File, "kit\n"}}};
    TempFolder folder;
    const auto read = [&](const std::string& text) {
        folder.write("expected", text);
        return readExpected(folder.path(), inputs);
    };
    const Expected expected = read("status 3\nstdout\n|a\n|\nstderr\n|b\n\\ no newline at end\n"
                                   "file out/pi.h\n= kit/pi.h\nfile \"out/x\\ny\"\n|z\n"
                                   "folder out/e\nlink out/l\n-> ../t\n");
    EXPECT_EQ(expected.status, 3);
    EXPECT_EQ(expected.out, "a\n\n");
    EXPECT_EQ(expected.err, "b");
    EXPECT_EQ(expected.tree, (Tree{{"out/pi.h", {File, "kit\n"}},
                                   {"out/x\ny", {File, "z\n"}},
                                   {"out/e", {Folder, {}}},
                                   {"out/l", {Link, "../t"}}}));

    const std::string head = "status 0\nstdout\nstderr\n";
    const std::vector<std::string> malformed = {"status 0\nstdout\n",
                                                "status x\nstdout\nstderr\n",
                                                head + "status 1\n",
                                                head + "fle out/a\n",
                                                head + "folder a\n|stray\n",
                                                head + "\\ no newline at end\n",
                                                head + "file a\n= kit/none.h\n",
                                                head + "file a\n|x\n= kit/pi.h\n",
                                                head + "link a\nfile b\n",
                                                head + "file a\nfile a\n",
                                                head + "file \"a\n",
                                                head + "file \"a\\tb\"\n"};
    for (const std::string& text : malformed)
        EXPECT_THROW(read(text), std::runtime_error) << text;
}

INSTANTIATE_TEST_SUITE_P(Case, GoldenRun, testing::ValuesIn(caseNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

} // namespace
} // namespace vantrel::runs
