#include "support/GeneratorProcess.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

// The cases of tests/data/check. base/ is a clean installation (configuration, both scripts,
// a template file, a kit and a project file) on which --check finds nothing. Each file of cases/
// holds one fault and takes the place of the base file of its kind (.cfg: vantrel.cfg, .vts:
// kel.vts, .tpl: templates/main.tpl); its comment lines say what it expects:
//   expect: LINE   a line of the output, in order (none: the check finds nothing)
//   run: ARGS      the arguments, "--check" unless given
//   alone: WHY     the fault cannot stand beside the others in all/
// all/ replaces several base files at once with every fault that can stand together, and lists
// the output it expects in all/expected.
const fs::path DATA = VANTREL_CHECK_DATA;

struct CheckCase {
    std::string name;
    fs::path source; // a file of cases/, or the folder all/
};

void PrintTo(const CheckCase& c, std::ostream* os) {
    *os << c.name;
}

// What a case file says after a marker, one entry per marked line.
std::vector<std::string> marked(const std::string& text, const std::string& marker) {
    std::vector<std::string> values;
    for (const std::string& line : linesOf(text)) {
        if (const std::size_t at = line.find(marker); at != std::string::npos)
            values.push_back(line.substr(at + marker.size()));
    }
    return values;
}

std::vector<CheckCase> allCases() {
    std::vector<CheckCase> cases;
    for (const auto& entry : fs::directory_iterator(DATA / "cases")) {
        std::string name = entry.path().filename().string();
        std::replace_if(
            name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
        cases.push_back({name, entry.path()});
    }
    std::sort(cases.begin(), cases.end(),
              [](const CheckCase& a, const CheckCase& b) { return a.name < b.name; });
    cases.push_back({"all", DATA / "all"});
    return cases;
}

std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string word; in >> word;)
        result.push_back(word);
    return result;
}

class CheckCases : public testing::TestWithParam<CheckCase> {};

TEST_P(CheckCases, GiveExactlyTheExpectedLines) {
    const CheckCase& c = GetParam();
    const TempFolder work;
    fs::copy(DATA / "base", work.path(), fs::copy_options::recursive);
    std::vector<std::string> expected;
    std::vector<std::string> arguments = {"--check"};
    if (fs::is_directory(c.source)) {
        fs::copy(c.source, work.path(),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        expected = linesOf(readFile(c.source / "expected"));
    } else {
        const std::string extension = c.source.extension().string();
        const fs::path place = extension == ".cfg"   ? "vantrel.cfg"
                               : extension == ".vts" ? "kel.vts"
                                                     : "templates/main.tpl";
        fs::copy_file(c.source, work.path() / place, fs::copy_options::overwrite_existing);
        const std::string text = readFile(c.source);
        expected = marked(text, "expect: ");
        if (const std::vector<std::string> run = marked(text, "run: "); !run.empty())
            arguments = words(run.front());
    }
    const ProcessResult result = runGeneratorIn(work.path(), arguments);
    EXPECT_EQ(linesOf(result.out), expected);
    EXPECT_EQ(result.err, "");
    const bool werror =
        std::find(arguments.begin(), arguments.end(), "--werror") != arguments.end();
    const bool failing =
        std::any_of(expected.begin(), expected.end(), [&](const std::string& line) {
            return werror || line.find(": error: ") != std::string::npos;
        });
    EXPECT_EQ(result.status, failing ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Data, CheckCases, testing::ValuesIn(allCases()),
                         [](const testing::TestParamInfo<CheckCase>& info) {
                             return info.param.name;
                         });

// The kind of a diagnostic: its severity and text with the quoted names and the numbers in it
// left out.
std::string kindOf(const std::string& line) {
    const std::size_t severity = line.find(": error: ") != std::string::npos
                                     ? line.find(": error: ")
                                     : line.find(": warning: ");
    const std::string text = line.substr(severity + 2);
    std::string kind;
    bool quoted = false;
    for (char c : text) {
        if (c == '\'') {
            quoted = !quoted;
            kind += c;
        } else if (quoted) {
            continue;
        } else if (c >= '0' && c <= '9') {
            if (kind.empty() || kind.back() != '#')
                kind += '#';
        } else {
            kind += c;
        }
    }
    return kind;
}

TEST(CheckCasesTogether, AllFindsEveryFaultOfTheSingleCases) {
    std::multiset<std::string> single;
    std::size_t cases = 0;
    for (const auto& entry : fs::directory_iterator(DATA / "cases")) {
        const std::string text = readFile(entry.path());
        if (!marked(text, "alone: ").empty())
            continue;
        ++cases;
        for (const std::string& line : marked(text, "expect: "))
            single.insert(kindOf(line));
    }
    std::multiset<std::string> together;
    for (const std::string& line : linesOf(readFile(DATA / "all" / "expected")))
        together.insert(kindOf(line));
    EXPECT_EQ(together, single);
    EXPECT_GE(cases, 25u);
}

// The bundled sample is the example authors start from: it must check clean, for both hosts
// and for each of its project files.
TEST(CheckSample, FindsNothing) {
    const fs::path sample = fs::path(VANTREL_SOURCE_DIR) / "data" / "sample";
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--check", "--werror"},
          std::vector<std::string>{"--check", "--werror", "demo.json"},
          std::vector<std::string>{"--check", "--werror", "demo-dov.json"}}) {
        const ProcessResult result = runGeneratorIn(sample, arguments);
        EXPECT_EQ(result.out, "") << arguments.back();
        EXPECT_EQ(result.err, "") << arguments.back();
        EXPECT_EQ(result.status, 0) << arguments.back();
    }
}

TEST(CheckProjectFile, ThatCannotBeReadIsRefusedAsARunRefusesIt) {
    const TempFolder work;
    fs::copy(DATA / "base", work.path(), fs::copy_options::recursive);
    const ProcessResult result = runGeneratorIn(work.path(), {"--check", "absent.json"});
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "absent.json: cannot be read (No such file or directory)\n");
    EXPECT_EQ(result.status, 2);
}

} // namespace
} // namespace vantrel
