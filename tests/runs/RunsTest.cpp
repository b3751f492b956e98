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

// Stands for the working folder in expected.stdout and expected.stderr.
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

std::string expectedText(const fs::path& caseFolder, const char* name) {
    EXPECT_TRUE(fs::is_regular_file(caseFolder / name)) << "the case lacks " << name;
    return readFile(caseFolder / name);
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
    EXPECT_EQ(withToken(outcome.err, work.string()), expectedText(caseFolder, "expected.stderr"));
    EXPECT_EQ(withToken(outcome.out, work.string()), expectedText(caseFolder, "expected.stdout"));
    int status = -1;
    EXPECT_TRUE(std::istringstream(expectedText(caseFolder, "expected.status")) >> status);
    EXPECT_EQ(outcome.status, status);
    const Tree expected = readTree(caseFolder / "expected");
    const Tree actual = withoutUnexpectedRecord(outcome.tree, expected, caseInputs(caseFolder));
    EXPECT_EQ(treeDifferences(expected, actual), "");
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

INSTANTIATE_TEST_SUITE_P(Case, GoldenRun, testing::ValuesIn(caseNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

} // namespace
} // namespace vantrel::runs
