// vantrel-gen --verify over a small template set in a temporary folder: the hostile cases as a
// table, and the rule that a verified tree fails exactly where it was changed.
#include "cli/VerifyCommand.h"
#include "cli/CommandLine.h"
#include "cli/GenCommand.h"
#include "support/InProcessGen.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

// A set of one script and one template whose output holds bytes that are no UTF-8, and one case.
class VerifyCases : public testing::Test {
public:
    void SetUp() override {
        // A build's temporary folder goes below the test's own, to be seen removed.
        fs::create_directory(m_work / "tmp");
        ::setenv("TMPDIR", (m_work / "tmp").c_str(), 1);
        m_work.write("vantrel.cfg", "keltemplate = \"k.vts\"\ntemplatedirectory = \".\"\n");
        writeScript("");
        m_work.write("t.tpl", "filesection: a\n"
                              "first line of %PROJECTNAME%\n"
                              "bytes \xff\xfe that are no UTF-8\n"
                              "@FOR 0 TO ALL_ACTIONS\n"
                              "action %ACTIONNAME%\n"
                              "@ENDFOR\n"
                              "last line\n"
                              "filesectionend:\n"
                              "filesection: b\n"
                              "one\ntwo\nthree\n"
                              "filesectionend:\n");
        m_work.write("cases/c/project.json",
                     R"({"host": "kel", "name": "P", "location": "../../../elsewhere",
                         "actions": [{"name": "Draw"}, {"name": "Move"}, {"name": "Zoom"}]})");
    }

    void writeScript(const std::string& extra) {
        m_work.write("k.vts", "create_directory: \"%PROJECTNAME%\"\n"
                              "create_directory: \"%PROJECTNAME%\\sub\"\n"
                              "create_file: \"a.txt\" \"a\" \"t.tpl\"\n"
                              "create_file: \"sub\\b.txt\" \"b\" \"t.tpl\"\n" +
                                  extra + "create_done:\n");
    }

    GenResult verify(const std::vector<std::string>& arguments) {
        const WorkingFolder here(m_work.path());
        return runGen(arguments);
    }

    TempFolder m_work;
};

struct HostileCase {
    const char* name;
    bool acceptFirst; // expectations written before the change
    std::function<void(VerifyCases&, const fs::path&)> change; // given the work folder
    std::vector<std::string> extra;                            // more arguments of the last run
    int status;
    std::string output; // what the last run's standard output holds
};

class VerifyHostile : public VerifyCases, public testing::WithParamInterface<HostileCase> {};

void PrintTo(const HostileCase& c, std::ostream* os) {
    *os << c.name;
}

TEST_P(VerifyHostile, SaysWhatIsWrong) {
    const HostileCase& c = GetParam();
    if (c.acceptFirst) {
        ASSERT_EQ(verify({"--verify", "cases", "--accept"}).status, 0);
    }
    if (c.change)
        c.change(*this, m_work.path());
    std::vector<std::string> arguments = {"--verify", "cases"};
    arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
    const GenResult result = verify(arguments);
    EXPECT_EQ(result.status, c.status) << result.out << result.err;
    EXPECT_NE(result.out.find(c.output), std::string::npos) << result.out;
    // Nothing of a case is ever written outside its folder, whatever the project names.
    EXPECT_FALSE(fs::exists(m_work.path().parent_path() / "elsewhere"));
    EXPECT_FALSE(fs::exists(m_work / "escape.txt"));
    EXPECT_TRUE(fs::is_empty(m_work / "tmp"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, VerifyHostile,
    testing::Values(
        HostileCase{"NoExpectedTree",
                    false,
                    nullptr,
                    {},
                    1,
                    "FAIL cases/c\ncases/c/expected: no expected tree; --accept makes it\n"},
        HostileCase{
            "AcceptedThenPasses", true, nullptr, {}, 0, "ok cases/c\n1 case: 1 passed, 0 failed\n"},
        HostileCase{
            "NoProjectFile",
            false,
            [](VerifyCases&, const fs::path& work) { fs::create_directory(work / "cases/d"); },
            {},
            1,
            "FAIL cases/d\ncases/d: no project file (project.json)\n"},
        HostileCase{"ProjectFileIsALink",
                    false,
                    [](VerifyCases&, const fs::path& work) {
                        fs::rename(work / "cases/c/project.json", work / "p.json");
                        fs::create_symlink("../../p.json", work / "cases/c/project.json");
                    },
                    {},
                    1,
                    "cases/c/project.json is a link"},
        HostileCase{"CaseIsALink",
                    false,
                    [](VerifyCases&, const fs::path& work) {
                        fs::rename(work / "cases/c", work / "c");
                        fs::create_directory_symlink("../c", work / "cases/c");
                    },
                    {},
                    1,
                    "cases/c: is a link; cases are not followed through links\n"},
        HostileCase{"LinkInTheExpectedTree",
                    true,
                    [](VerifyCases&, const fs::path& work) {
                        fs::remove(work / "cases/c/expected/P/a.txt");
                        fs::create_symlink("../../project.json", work / "cases/c/expected/P/a.txt");
                    },
                    {},
                    1,
                    "cases/c/expected/P/a.txt: is a link"},
        HostileCase{"ExpectedTreeIsALink",
                    true,
                    [](VerifyCases&, const fs::path& work) {
                        fs::rename(work / "cases/c/expected", work / "expected");
                        fs::create_directory_symlink("../../expected", work / "cases/c/expected");
                    },
                    {},
                    1,
                    "cases/c/expected: is a link"},
        HostileCase{"StaleExpectationsReplaced",
                    true,
                    [](VerifyCases& cases, const fs::path& work) {
                        writeFile(work / "cases/c/expected/P/old.txt", "gone\n");
                        writeFile(work / "cases/c/status", "3\n");
                        ASSERT_EQ(cases.verify({"--verify", "cases", "--accept"}).status, 0);
                        EXPECT_FALSE(fs::exists(work / "cases/c/expected/P/old.txt"));
                        EXPECT_FALSE(fs::exists(work / "cases/c/status"));
                    },
                    {},
                    0,
                    "ok cases/c\n"},
        HostileCase{"TargetsEscapingTheProjectAreRefused",
                    false,
                    [](VerifyCases& cases, const fs::path& work) {
                        cases.writeScript(
                            "create_file: \"..\\..\\..\\..\\escape.txt\" \"b\" \"t.tpl\"\n");
                        EXPECT_EQ(cases.verify({"--verify", "cases", "--accept"}).status, 0);
                        EXPECT_EQ(readFile(work / "cases/c/status"), "1\n");
                        EXPECT_NE(readFile(work / "cases/c/messages").find("escape.txt"),
                                  std::string::npos);
                    },
                    {},
                    0,
                    "ok cases/c\n"},
        HostileCase{"UpgradeMovesARenamedActionsFile",
                    false,
                    [](VerifyCases& cases, const fs::path& work) {
                        cases.writeScript("@FOR 0 TO ALL_ACTIONS\n"
                                          "create_file: \"%ACTIONNAME%.txt\" \"b\" \"t.tpl\"\n"
                                          "@ENDFOR\n");
                        const std::string actions =
                            R"("actions": [{"id": 1, "name": "Draw"}, {"id": 2, "name": "Move"}]})";
                        writeFile(work / "old.json",
                                  R"({"host": "kel", "name": "P", "location": "cases/c/before", )" +
                                      actions);
                        ASSERT_EQ(cases.verify({"old.json"}).status, 0);
                        writeFile(work / "cases/c/before/P/Draw.txt", "edited by hand\n");
                        writeFile(work / "cases/c/project.json",
                                  R"({"host": "kel", "name": "P", "actions": [{"id": 1, )"
                                  R"("name": "Paint"}, {"id": 2, "name": "Move"}]})");
                        EXPECT_EQ(cases.verify({"--verify", "cases", "--accept"}).status, 0);
                        EXPECT_FALSE(fs::exists(work / "cases/c/expected/P/Draw.txt"));
                        EXPECT_TRUE(fs::exists(work / "cases/c/expected/P/Paint.txt"));
                        EXPECT_TRUE(fs::exists(work / "cases/c/expected/P/Move.txt"));
                    },
                    {},
                    0,
                    "ok cases/c\n"},
        HostileCase{"RefusedProjectFile",
                    false,
                    [](VerifyCases& cases, const fs::path& work) {
                        writeFile(work / "cases/c/project.json", "{\"host\": \"kel\",");
                        EXPECT_EQ(cases.verify({"--verify", "cases", "--accept"}).status, 0);
                        EXPECT_EQ(readFile(work / "cases/c/status"), "2\n");
                        EXPECT_TRUE(
                            readFile(work / "cases/c/messages").starts_with("project.json:"));
                    },
                    {},
                    0,
                    "ok cases/c\n"},
        HostileCase{
            "StatusIsNoNumber",
            true,
            [](VerifyCases&, const fs::path& work) { writeFile(work / "cases/c/status", "x"); },
            {},
            1,
            "cases/c/status:1: holds no exit status\n"},
        HostileCase{"BuildFails",
                    true,
                    nullptr,
                    {"--build", "echo no compiler; exit 3"},
                    1,
                    "the build failed (exit status 3):\nno compiler\n"},
        HostileCase{"BuildSeesTheProjectFolder",
                    true,
                    nullptr,
                    {"--build", "test -f {dir}/a.txt && test -f {dir}/sub/b.txt && test -d sub"},
                    1,
                    "the build failed (exit status 1)"},
        HostileCase{"BuildPasses",
                    true,
                    nullptr,
                    {"--build", "test -f {dir}/a.txt && test -f {dir}/sub/b.txt && test -d P"},
                    0,
                    "ok cases/c\n"}),
    [](const testing::TestParamInfo<HostileCase>& info) { return std::string(info.param.name); });

// The rule: once accepted, a case passes, and any one change of its expected tree fails it with
// the changed file and its first changed line named first; undone, the case passes again.
TEST_F(VerifyCases, AChangedExpectationFailsWhereItChanged) {
    ASSERT_EQ(verify({"--verify", "cases", "--accept"}).status, 0);
    const fs::path expected = m_work / "cases/c/expected";
    const std::vector<std::string> files = {"P/a.txt", "P/sub/b.txt"};
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    for (int round = 0; round < 40; ++round) {
        const std::string file = files[random() % files.size()];
        const fs::path path = expected / file;
        const std::string before = readFile(path);
        std::string changed = before;
        std::size_t line = 1;
        std::string reported = "cases/c/expected/" + file;
        std::string why = ": differs from what the run makes\n";
        switch (random() % 4) {
        case 0: { // one byte becomes another, maybe no UTF-8
            const std::size_t at = random() % before.size();
            changed[at] = static_cast<char>(before[at] + 1 + random() % 255);
            line += static_cast<std::size_t>(std::count(before.begin(), before.begin() + at, '\n'));
            writeFile(path, changed);
            break;
        }
        case 1: { // a line goes in before a line
            std::vector<std::size_t> starts = {0};
            for (std::size_t at = 0; at + 1 < before.size(); ++at)
                if (before[at] == '\n')
                    starts.push_back(at + 1);
            const std::size_t pick = random() % starts.size();
            changed.insert(starts[pick], "\x01 added\n");
            line += pick;
            writeFile(path, changed);
            break;
        }
        case 2: // the file goes
            fs::remove(path);
            why = ": the run makes this file, the expected tree lacks it\n";
            break;
        default: // a file comes that the run does not make
            reported = "cases/c/expected/P/extra.txt";
            why = ": the run makes no such file\n";
            writeFile(expected / "P/extra.txt", "extra\n");
            break;
        }
        SCOPED_TRACE("round " + std::to_string(round) + ", " + file);
        const GenResult failed = verify({"--verify", "cases"});
        EXPECT_EQ(failed.status, 1);
        EXPECT_TRUE(
            failed.out.starts_with("FAIL cases/c\n" + reported + ":" + std::to_string(line) + why))
            << failed.out;
        writeFile(path, before);
        fs::remove(expected / "P/extra.txt");
        const GenResult passed = verify({"--verify", "cases"});
        ASSERT_EQ(passed.status, 0) << passed.out;
    }
}

// The options of a template author's tools and the parts of a case are named wherever a user
// looks for them.
TEST(VerifyDocumentation, NamesEveryOptionAndPart) {
    const char* sourceDir = std::getenv("VANTREL_SOURCE_DIR");
    ASSERT_NE(sourceDir, nullptr) << "run by ctest, which names the source folder";
    const fs::path source = sourceDir;
    const std::string help = helpText();
    for (const char* place : {"docs/templates.md", "data/man/vantrel-gen.1.in", "README.md"}) {
        std::string text = readFile(source / place);
        std::erase(text, '\\'); // the manual's escaped hyphens
        for (std::string_view name : {"--verify", "--accept", "--build", "--explain", "--impact"}) {
            EXPECT_NE(text.find(name), std::string::npos) << place << " lacks " << name;
            EXPECT_NE(help.find(name), std::string::npos) << "the help lacks " << name;
        }
        for (std::string_view part : {CASE_PROJECT_FILE, CASE_EXPECTED_TREE, CASE_EXISTING_TREE,
                                      CASE_MESSAGES, CASE_STATUS}) {
            EXPECT_NE(text.find(part), std::string::npos) << place << " lacks " << part;
            EXPECT_NE(help.find(part), std::string::npos) << "the help lacks " << part;
        }
    }
}

TEST(VerifyBuild, QuotesTheFolderAndStopsAHangingCommand) {
    EXPECT_EQ(commandFor("make -C {dir} && ls {dir}", "a b'c"),
              "make -C 'a b'\\''c' && ls 'a b'\\''c'");
    const TempFolder work;
    const fs::path odd = work.path() / "a b'c $HOME";
    fs::create_directory(odd);
    EXPECT_TRUE(runTimedCommand(commandFor("test -d {dir}", odd.string()), work.path(),
                                std::chrono::seconds(20))
                    .passed);

    // A command that starts another and hangs: both are stopped at the limit.
    const auto start = std::chrono::steady_clock::now();
    const CommandOutcome hung = runTimedCommand("echo started; (sleep 60; touch late) & sleep 60",
                                                work.path(), std::chrono::milliseconds(300));
    EXPECT_TRUE(hung.timedOut);
    EXPECT_FALSE(hung.passed);
    EXPECT_EQ(hung.output, "started\n");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

} // namespace
} // namespace vantrel
