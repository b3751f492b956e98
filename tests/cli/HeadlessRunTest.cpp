#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

using Files = std::vector<std::pair<std::string, std::string>>;

inline constexpr const char* MISSING = "<missing>";

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs the built vantrel-gen in the folder and collects what it wrote and its exit status.
RunResult runGenerator(const fs::path& folder, const std::vector<std::string>& arguments) {
    std::string command =
        "cd " + shellQuoted(folder.string()) + " && timeout 30 " + shellQuoted(VANTREL_GEN_PATH);
    for (const std::string& argument : arguments)
        command += " " + shellQuoted(argument);
    const TempFolder captures;
    const fs::path out = captures.path() / "stdout";
    const fs::path err = captures.path() / "stderr";
    command += " >" + shellQuoted(out.string()) + " 2>" + shellQuoted(err.string());
    const int raw = std::system(command.c_str());
    RunResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = readFile(out);
    result.err = readFile(err);
    return result;
}

// The installation every case starts from: a configuration, the development kit's pi.h, and
// the template file of the worked example. The script and the project vary.
constexpr const char* DEFAULT_CONFIG = "templatedirectory = \"tpl\"\n"
                                       "piinc = \"kit\\pi.h\"\n"
                                       "MYKIT = \"kit\\extra.h\", \"extra.h\"\n";
constexpr const char* DEFAULT_TEMPLATE = "filesection: main\n"
                                         "// %PROJECTNAME% for %APPINTERFACECLASSNAME%\n"
                                         "filesectionend:\n"
                                         "filesection: action\n"
                                         "// action %ACDF_IDX%: %ACDF_NAME%\n"
                                         "filesectionend:\n";
constexpr const char* DEFAULT_PROJECT =
    R"({"host": "KEL", "name": "Demo", "location": "out",
        "actions": [{"name": "Line"}, {"name": "Arc"}]})";

struct RunCase {
    const char* name;
    std::string script;
    std::string expectedOut;
    std::string expectedErr;
    int expectedStatus;
    Files expectedFiles; // content, or MISSING
    Files extraFiles = {};
    std::string project = DEFAULT_PROJECT;
};

void PrintTo(const RunCase& c, std::ostream* os) {
    *os << c.name;
}

class HeadlessRun : public testing::TestWithParam<RunCase> {
protected:
    void SetUp() override {
        m_work.write("vantrel.cfg", DEFAULT_CONFIG);
        m_work.write("kit/pi.h", "// pi\n");
        m_work.write("kit/extra.h", "// extra\n");
        m_work.write("tpl/plugin.tpl", DEFAULT_TEMPLATE);
    }

    TempFolder m_work;
};

TEST_P(HeadlessRun, OutputMessagesStatusAndTree) {
    const RunCase& c = GetParam();
    m_work.write("kelpi.tpl", c.script);
    m_work.write("project.json", c.project);
    for (const auto& [path, content] : c.extraFiles)
        m_work.write(path, content);

    const RunResult result = runGenerator(m_work.path(), {"project.json"});
    EXPECT_EQ(result.err, c.expectedErr);
    EXPECT_EQ(result.out, c.expectedOut);
    EXPECT_EQ(result.status, c.expectedStatus);
    for (const auto& [path, content] : c.expectedFiles)
        EXPECT_EQ(readFile(m_work.path() / path), content) << path;
}

const std::string WORKED_EXAMPLE = "// project folders\n"
                                   "create_directory: \"%PROJECTNAME%\"\n"
                                   "create_directory: \"%PROJECTNAME%\\res\"\n"
                                   "copy_file: %piinc% \"%PROJECTNAME%\"\n"
                                   "create_file: \"%PROJECTNAME%.cpp\" \"main\" \"plugin.tpl\"\n"
                                   "@FOR 0 TO ALL_ACTIONS\n"
                                   "create_file: \"%ACTIONNAME%.cpp\" \"action\" \"plugin.tpl\"\n"
                                   "@ENDFOR\n"
                                   "create_done:\n";

INSTANTIATE_TEST_SUITE_P(
    WorkedExample, HeadlessRun,
    testing::Values(RunCase{"FoldersCopyAndOneFilePerAction",
                            WORKED_EXAMPLE,
                            "out\nout/Demo\nout/Demo/res\nout/Demo/pi.h\nout/Demo/Demo.cpp\n"
                            "out/Demo/Line.cpp\nout/Demo/Arc.cpp\n",
                            "",
                            0,
                            {{"out/Demo/Demo.cpp", "// Demo for CKelInterface\n"},
                             {"out/Demo/Line.cpp", "// action 0: \"Line\"\n"},
                             {"out/Demo/Arc.cpp", "// action 1: \"Arc\"\n"},
                             {"out/Demo/pi.h", "// pi\n"}}}),
    [](const testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

const std::string MAKE_FOLDER = "create_directory: \"%PROJECTNAME%\"\n";

INSTANTIATE_TEST_SUITE_P(
    ScriptRules, HeadlessRun,
    testing::Values(
        RunCase{"SectionFoundIgnoringCaseAndWrittenTwice",
                MAKE_FOLDER + "create_file: \"a.txt\" \"main\" \"sections.tpl\"\n"
                              "create_file: \"b.txt\" \"MAIN\" \"sections.tpl\"\n",
                "out\nout/Demo\nout/Demo/a.txt\nout/Demo/b.txt\n",
                "",
                0,
                {{"out/Demo/a.txt", "first\n"}, {"out/Demo/b.txt", "first\n"}},
                {{"tpl/sections.tpl", "outside\nfilesection: Main\nfirst\nfilesectionend:\n"
                                      "filesection: main\nsecond\n"}}},
        RunCase{"NothingAfterCreateDoneIsRead",
                MAKE_FOLDER + "create_done:\n@BOGUS\ncreate_directory: \"late\"\n",
                "out\nout/Demo\n",
                "",
                0,
                {{"out/late", MISSING}}},
        RunCase{"MisCasedOrIndentedCommandIgnored",
                MAKE_FOLDER + "Create_Directory: \"a\"\n create_directory: \"b\"\n"
                              "CREATE_FILE: \"x\" \"main\" \"plugin.tpl\"\n",
                "out\nout/Demo\n",
                "",
                0,
                {{"out/a", MISSING}, {"out/b", MISSING}, {"out/Demo/x", MISSING}}},
        RunCase{"ScriptWithoutCreateDoneEndsNormally",
                MAKE_FOLDER + "// only a comment\n\ncreate_file: \"m.txt\" \"main\" \"plugin.tpl\"",
                "out\nout/Demo\nout/Demo/m.txt\n",
                "",
                0,
                {{"out/Demo/m.txt", "// Demo for CKelInterface\n"}}},
        RunCase{"ExtraSettingCopiedUnderItsFileName",
                MAKE_FOLDER + "copy_file: %MYKIT% \"%PROJECTNAME%\"\n",
                "out\nout/Demo\nout/Demo/extra.h\n",
                "",
                0,
                {{"out/Demo/extra.h", "// extra\n"}}}),
    [](const testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    ErrorTable, HeadlessRun,
    testing::Values(
        RunCase{"BadDirectiveInScriptStops",
                MAKE_FOLDER + "@BOGUS\ncreate_directory: \"after\"\n",
                "out\nout/Demo\n",
                "Error in Template File:\nMAIN_LOOP\n\n",
                1,
                {{"out/after", MISSING}}},
        RunCase{"MissingArgumentStops",
                MAKE_FOLDER + "create_file: \"a.txt\" \"main\"\ncreate_directory: \"after\"\n",
                "out\nout/Demo\n",
                "Error in Template File:\nkelpi.tpl\ncreate_file: \"a.txt\" \"main\"\n\n",
                1,
                {{"out/after", MISSING}}},
        RunCase{"CopyWithoutFolderStops",
                MAKE_FOLDER + "copy_file: %piinc%\ncreate_directory: \"after\"\n",
                "out\nout/Demo\n",
                "Error in Template File:\nkelpi.tpl\ncopy_file: %piinc%\n\n",
                1,
                {{"out/after", MISSING}}},
        RunCase{"MissingTemplateFileGoesOn",
                MAKE_FOLDER + "create_file: \"a.txt\" \"main\" \"absent.tpl\"\n"
                              "create_file: \"b.txt\" \"main\" \"plugin.tpl\"\n",
                "out\nout/Demo\nout/Demo/b.txt\n",
                "Error in Template File:\nMAIN_LOOP\ntpl/absent.tpl\n",
                1,
                {{"out/Demo/a.txt", MISSING}, {"out/Demo/b.txt", "// Demo for CKelInterface\n"}}},
        RunCase{"SectionNotFoundStops",
                MAKE_FOLDER + "create_file: \"a.txt\" \"nosuch\" \"plugin.tpl\"\n"
                              "create_directory: \"after\"\n",
                "out\nout/Demo\n",
                "Section not found:\nkelpi.tpl\nnosuch\n",
                1,
                {{"out/Demo/a.txt", MISSING}, {"out/after", MISSING}}},
        RunCase{"TargetFolderNotCreatedStops",
                "create_file: \"%PROJECTNAME%.cpp\" \"main\" \"plugin.tpl\"\n"
                "create_directory: \"after\"\n",
                "",
                "Open file error:\nout/Demo/Demo.cpp\n",
                1,
                {{"out/after", MISSING}}},
        RunCase{"BadDirectiveInSectionKeepsWhatWasWritten",
                MAKE_FOLDER + "create_file: \"a.txt\" \"broken\" \"broken.tpl\"\n"
                              "create_directory: \"after\"\n",
                "out\nout/Demo\n",
                "Error in Template File:\nbroken\na.txt\n",
                1,
                {{"out/Demo/a.txt", "kept\n"}, {"out/after", MISSING}},
                {{"tpl/broken.tpl", "filesection: broken\nkept\n@ENDIF\nlost\n"}}},
        RunCase{"CopyOfEmptySettingStops",
                MAKE_FOLDER +
                    "copy_file: %viewinc% \"%PROJECTNAME%\"\ncreate_directory: \"after\"\n",
                "out\nout/Demo\n",
                "Open file error:\n%viewinc%\n",
                1,
                {{"out/after", MISSING}},
                {{"vantrel.cfg", std::string(DEFAULT_CONFIG) + "viewinc = \"\"\n"}}},
        RunCase{"CopyOfUnknownWordStops",
                MAKE_FOLDER + "copy_file: %nosuch% \"%PROJECTNAME%\"\n",
                "out\nout/Demo\n",
                "Open file error:\n%nosuch%\n",
                1,
                {}},
        RunCase{"CopySourceMissingStops",
                MAKE_FOLDER + "copy_file: %vectorinc% \"%PROJECTNAME%\"\n"
                              "create_directory: \"after\"\n",
                "out\nout/Demo\n",
                "Open file error:\nvector.h\n",
                1,
                {{"out/Demo/vector.h", MISSING}, {"out/after", MISSING}}},
        RunCase{"CopyTargetFolderMissingStops",
                MAKE_FOLDER + "copy_file: %piinc% \"%PROJECTNAME%\\nodir\"\n",
                "out\nout/Demo\n",
                "Open file error:\nout/Demo/nodir/pi.h\n",
                1,
                {}},
        RunCase{"FailedAssertionGoesOnAndExitsZero",
                MAKE_FOLDER + "@FOR 0 TO ALL_ACTIONS\n@ASSERT ACDF_PROC_CLOSE\n@ENDFOR\n"
                              "create_file: \"a.txt\" \"main\" \"plugin.tpl\"\n",
                "out\nout/Demo\nout/Demo/a.txt\n",
                "ASSERT:\nObject must be defined:\nLine::ACDF_PROC_CLOSE\n"
                "ASSERT:\nObject must be defined:\nArc::ACDF_PROC_CLOSE\n",
                0,
                {{"out/Demo/a.txt", "// Demo for CKelInterface\n"}}}),
    [](const testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Refusals, HeadlessRun,
    testing::Values(
        RunCase{"NoActions",
                WORKED_EXAMPLE,
                "",
                "No actions defined:\nAdd at least one action before creating the project.\n",
                2,
                {{"out", MISSING}},
                {},
                R"({"host": "KEL", "name": "Demo", "location": "out", "actions": []})"},
        RunCase{"UnnamedAction",
                WORKED_EXAMPLE,
                "",
                "Action name missing:\nEvery action needs a name.\n",
                2,
                {{"out", MISSING}},
                {},
                R"({"host": "KEL", "location": "out", "actions": [{"name": "A"}, {"name": ""}]})"},
        RunCase{"RepeatedName",
                WORKED_EXAMPLE,
                "",
                "Action name used twice:\nLine\n",
                2,
                {{"out", MISSING}},
                {},
                R"({"host": "KEL", "location": "out",
                    "actions": [{"name": "Line"}, {"name": "Arc"}, {"name": "Line"}]})"},
        RunCase{"MalformedJson",
                WORKED_EXAMPLE,
                "",
                "project.json:1:10: expected a value, found 'KEL'\n",
                2,
                {{"out", MISSING}},
                {},
                R"({"host": KEL})"},
        RunCase{"UnknownKey",
                WORKED_EXAMPLE,
                "",
                "project.json: \"actions[1].colour\": unknown key\n",
                2,
                {{"out", MISSING}},
                {},
                R"({"host": "KEL", "actions": [{"name": "A"}, {"name": "B", "colour": "red"}]})"},
        RunCase{"WrongType",
                WORKED_EXAMPLE,
                "",
                "project.json: \"location\": must be a string\n",
                2,
                {{"out", MISSING}},
                {},
                R"({"host": "KEL", "location": ["out"], "actions": [{"name": "A"}]})"}),
    [](const testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Confinement, HeadlessRun,
    testing::Values(RunCase{"ActionNameClimbingOutWritesNothing",
                            MAKE_FOLDER +
                                "@FOR 0 TO ALL_ACTIONS\n"
                                "create_file: \"%ACTIONNAME%.cpp\" \"action\" \"plugin.tpl\"\n"
                                "@ENDFOR\n",
                            "out\nout/Demo\n",
                            "Open file error:\nout/Demo/../../x.cpp\n",
                            1,
                            {{"x.cpp", MISSING}, {"out/x.cpp", MISSING}},
                            {},
                            R"({"host": "KEL", "name": "Demo", "location": "out",
                    "actions": [{"name": "../../x"}]})"},
                    RunCase{"FolderClimbingOutIsRefused",
                            "create_directory: \"..\\escaped\"\ncreate_directory: \"after\"\n",
                            "",
                            "Open file error:\nout/../escaped\n",
                            1,
                            {{"escaped", MISSING}, {"out/after", MISSING}}}),
    [](const testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

// The cases below need more than one run or arguments of their own.
class HeadlessInvocation : public testing::Test {
protected:
    TempFolder m_work;
};

TEST_F(HeadlessInvocation, UsageErrorsGoToStandardErrorWithStatusTwo) {
    const std::string usage = "usage: vantrel-gen [--config FILE] PROJECT_FILE\n"
                              "       vantrel-gen --help | --version\n";
    RunResult result = runGenerator(m_work.path(), {});
    EXPECT_EQ(result.err, "vantrel-gen: PROJECT_FILE missing\n" + usage);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.status, 2);

    result = runGenerator(m_work.path(), {"--verbose", "p.json"});
    EXPECT_EQ(result.err, "vantrel-gen: unknown option '--verbose'\n" + usage);
    EXPECT_EQ(result.status, 2);

    result = runGenerator(m_work.path(), {"absent.json"});
    EXPECT_EQ(result.err, "absent.json: cannot be read\n");
    EXPECT_EQ(result.status, 2);
}

TEST_F(HeadlessInvocation, VersionAndHelp) {
    RunResult result = runGenerator(m_work.path(), {"--version"});
    EXPECT_EQ(result.out, "vantrel-gen 1.4\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);

    result = runGenerator(m_work.path(), {"--help"});
    EXPECT_TRUE(result.out.starts_with("usage: vantrel-gen [--config FILE] PROJECT_FILE\n"));
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
}

TEST_F(HeadlessInvocation, ConfigurationFromTheGivenFileOrDefaults) {
    m_work.write("elsewhere/site.cfg", "keltemplate = \"scripts\\k.tpl\"\n"
                                       "defaultprojectname = \"Named\"\n"
                                       "workdirectory = \"wd\"\n");
    m_work.write("scripts/k.tpl", "create_directory: \"%PROJECTNAME%\"\n");
    m_work.write("p.json", R"({"host": "kel", "actions": [{"name": "A"}]})");
    RunResult result = runGenerator(m_work.path(), {"--config", "elsewhere/site.cfg", "p.json"});
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, "wd\nwd/Named\n");
    EXPECT_EQ(result.status, 0);

    // Without a configuration the script is kelpi.tpl in the working folder, and it is absent.
    result = runGenerator(m_work.path(), {"p.json"});
    EXPECT_EQ(result.err, "Open file error:\nkelpi.tpl\n");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.status, 1);

    result = runGenerator(m_work.path(), {"--config", "absent.cfg", "p.json"});
    EXPECT_EQ(result.err, "Open file error:\nkelpi.tpl\n") << "a missing file keeps the defaults";
    EXPECT_EQ(result.status, 1);
}

TEST_F(HeadlessInvocation, DovHostRunsItsOwnScriptAndSecondRunOverwrites) {
    m_work.write("dovpi.tpl", "create_directory: \"%PROJECTNAME%\"\n"
                              "create_file: \"d.txt\" \"main\" \"t.tpl\"\n");
    m_work.write("vantrel.cfg", "templatedirectory = \"tpl\"\n");
    m_work.write("tpl/t.tpl", "filesection: main\n%APPINTERFACECLASSNAME%\n");
    m_work.write("p.json", R"({"host": "Dov", "name": "D", "location": "o",
                                "actions": [{"name": "A"}]})");
    m_work.write("o/D/d.txt", "old content that is longer than the new\n");
    const RunResult result = runGenerator(m_work.path(), {"p.json"});
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(readFile(m_work.path() / "o/D/d.txt"), "CDovInterface\n");
}

TEST_F(HeadlessInvocation, SelfReferentialNameEndsQuickly) {
    m_work.write("kelpi.tpl", "create_directory: \"%PROJECTNAME%\"\n"
                              "create_file: \"f.txt\" \"main\" \"t.tpl\"\n");
    m_work.write("vantrel.cfg", "templatedirectory = \"tpl\"\n");
    m_work.write("tpl/t.tpl", "filesection: main\n[%ACTIONNAME%]\n");
    m_work.write("p.json", R"({"host": "KEL", "name": "%PROJECTNAME%x", "location": "o",
                                "actions": [{"name": "a%ACTIONNAME%"}]})");
    const auto start = std::chrono::steady_clock::now();
    const RunResult result = runGenerator(m_work.path(), {"p.json"});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
}

} // namespace
} // namespace vantrel
