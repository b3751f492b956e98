#include "cli/CommandLine.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace vantrel {
namespace {

using Mode = CommandLine::Mode;

struct ArgumentsCase {
    const char* name;
    std::vector<std::string_view> arguments;
    Mode mode;
    std::string configPath;
    std::string projectPath;
    std::string error;
};

void PrintTo(const ArgumentsCase& c, std::ostream* os) {
    *os << c.name;
}

class CommandLineArguments : public testing::TestWithParam<ArgumentsCase> {};

TEST_P(CommandLineArguments, ParseAsExpected) {
    const ArgumentsCase& c = GetParam();
    const CommandLine command = parseCommandLine(c.arguments);
    EXPECT_EQ(command.mode, c.mode);
    EXPECT_EQ(command.configPath, c.configPath);
    EXPECT_EQ(command.projectPath, c.projectPath);
    EXPECT_EQ(command.error, c.error);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLineArguments,
    testing::Values(
        ArgumentsCase{"ProjectOnly", {"p.json"}, Mode::Generate, "", "p.json", ""},
        ArgumentsCase{
            "ConfigBefore", {"--config", "c.cfg", "p.json"}, Mode::Generate, "c.cfg", "p.json", ""},
        ArgumentsCase{
            "ConfigAfter", {"p.json", "--config", "c.cfg"}, Mode::Generate, "c.cfg", "p.json", ""},
        ArgumentsCase{"ConfigWithEquals",
                      {"--config=c.cfg", "p.json"},
                      Mode::Generate,
                      "c.cfg",
                      "p.json",
                      ""},
        ArgumentsCase{
            "DashedFileAfterDoubleDash", {"--", "-p.json"}, Mode::Generate, "", "-p.json", ""},
        ArgumentsCase{"HelpWinsAnywhere", {"p.json", "--help"}, Mode::Help, "", "", ""},
        ArgumentsCase{"Version", {"--version"}, Mode::Version, "", "", ""},
        ArgumentsCase{"Nothing", {}, Mode::UsageError, "", "", "PROJECT_FILE missing"},
        ArgumentsCase{"FlagsAnywhere",
                      {"--summary", "p.json", "--dry-run", "--diff", "--warnings"},
                      Mode::Generate,
                      "",
                      "p.json",
                      ""},
        ArgumentsCase{"DiffWithoutDryRun",
                      {"--diff", "p.json"},
                      Mode::UsageError,
                      "",
                      "",
                      "option '--diff' goes with '--dry-run'"},
        ArgumentsCase{
            "ConfigOnly", {"--config", "c.cfg"}, Mode::UsageError, "", "", "PROJECT_FILE missing"},
        ArgumentsCase{"ConfigWithoutFile",
                      {"p.json", "--config"},
                      Mode::UsageError,
                      "",
                      "",
                      "option '--config' needs a FILE"},
        ArgumentsCase{"ConfigEmpty",
                      {"--config=", "p.json"},
                      Mode::UsageError,
                      "",
                      "",
                      "option '--config' needs a FILE"},
        ArgumentsCase{"ConfigTwice",
                      {"--config", "a", "--config", "b", "p.json"},
                      Mode::UsageError,
                      "",
                      "",
                      "option '--config' given twice"},
        ArgumentsCase{"TwoProjects",
                      {"a.json", "b.json"},
                      Mode::UsageError,
                      "",
                      "",
                      "only one PROJECT_FILE can be given"},
        ArgumentsCase{
            "UnknownOption", {"-v", "p.json"}, Mode::UsageError, "", "", "unknown option '-v'"},
        ArgumentsCase{
            "HelpAfterDoubleDashIsAFile", {"--", "--help"}, Mode::Generate, "", "--help", ""},
        ArgumentsCase{"VerboseRun", {"--verbose", "p.json"}, Mode::Generate, "", "p.json", ""},
        ArgumentsCase{"CheckNeedsNoProject", {"--check"}, Mode::Check, "", "", ""},
        ArgumentsCase{"CheckOfAProject",
                      {"p.json", "--werror", "--check", "--config=c.cfg"},
                      Mode::Check,
                      "c.cfg",
                      "p.json",
                      ""},
        ArgumentsCase{"WerrorWithoutCheck",
                      {"--werror", "p.json"},
                      Mode::UsageError,
                      "",
                      "",
                      "option '--werror' needs '--check'"},
        ArgumentsCase{"StatusOfAFolder",
                      {"--status", "--json", "out/Demo"},
                      Mode::Status,
                      "",
                      "out/Demo",
                      ""},
        ArgumentsCase{"StatusWritesNothing",
                      {"--status", "--no-record", "p.json"},
                      Mode::UsageError,
                      "",
                      "",
                      "option '--no-record' does not go with '--status'"},
        ArgumentsCase{"StatusPrunesNothing",
                      {"--status", "--prune", "p.json"},
                      Mode::UsageError,
                      "",
                      "",
                      "option '--prune' does not go with '--status'"},
        ArgumentsCase{"VerifyTakesItsOwnOptions",
                      {"--verify", "cases", "--accept", "--config", "c.cfg", "--build", "make"},
                      Mode::Verify,
                      "c.cfg",
                      "",
                      ""},
        ArgumentsCase{"AcceptNeedsVerify",
                      {"--accept", "p.json"},
                      Mode::UsageError,
                      "",
                      "",
                      "options '--accept' and '--build' go with '--verify CASES_FOLDER', which "
                      "takes only them, '--config' and '--verbose'"},
        ArgumentsCase{"VerifyRunsNoProject",
                      {"--verify", "cases", "--dry-run"},
                      Mode::UsageError,
                      "",
                      "",
                      "options '--accept' and '--build' go with '--verify CASES_FOLDER', which "
                      "takes only them, '--config' and '--verbose'"},
        ArgumentsCase{"ExplainTakesAPlaceAndAProject",
                      {"--explain", "out/Demo/Line.cpp:3", "p.json"},
                      Mode::Explain,
                      "",
                      "p.json",
                      ""},
        ArgumentsCase{"ExplainRunsNothingElse",
                      {"--explain", "out/Demo/Line.cpp:3", "--dry-run", "p.json"},
                      Mode::UsageError,
                      "",
                      "",
                      "option '--explain FILE:LINE' takes only '--config' and PROJECT_FILE"},
        ArgumentsCase{"BuildNeedsCommand",
                      {"--verify", "cases", "--build"},
                      Mode::UsageError,
                      "",
                      "",
                      "option '--build' needs one COMMAND"},
        ArgumentsCase{"ConflictStyleUnknown",
                      {"--conflict=rej", "p.json"},
                      Mode::UsageError,
                      "",
                      "",
                      "option '--conflict' takes beside, markers or git, not 'rej'"},
        ArgumentsCase{"ConflictStyleMissing",
                      {"p.json", "--conflict"},
                      Mode::UsageError,
                      "",
                      "",
                      "option '--conflict' needs beside, markers or git"},
        ArgumentsCase{"ConflictStyleTwice",
                      {"--conflict=git", "--conflict=markers", "p.json"},
                      Mode::UsageError,
                      "",
                      "",
                      "option '--conflict' given twice"},
        ArgumentsCase{"StatusMakesNoConflict",
                      {"--status", "--conflict=git", "p.json"},
                      Mode::UsageError,
                      "",
                      "",
                      "option '--conflict' does not go with '--status'"},
        ArgumentsCase{"DetachAFile", {"--detach", "out/Demo/A.cpp"}, Mode::Detach, "", "", ""},
        ArgumentsCase{"AttachAFile", {"--attach", "-A.cpp"}, Mode::Attach, "", "", ""},
        ArgumentsCase{"DetachWithoutPath",
                      {"--detach"},
                      Mode::UsageError,
                      "",
                      "",
                      "option '--detach' needs a PATH"},
        ArgumentsCase{"DetachIsNoRun",
                      {"--detach", "a.cpp", "p.json"},
                      Mode::UsageError,
                      "",
                      "",
                      "'--detach PATH' takes no other argument"},
        ArgumentsCase{"AttachIsNoRun",
                      {"--dry-run", "--attach", "a.cpp"},
                      Mode::UsageError,
                      "",
                      "",
                      "'--attach PATH' takes no other argument"},
        ArgumentsCase{"DetachAndAttach",
                      {"--detach", "a.cpp", "--attach", "b.cpp"},
                      Mode::UsageError,
                      "",
                      "",
                      "only one of '--detach' and '--attach', with one PATH"},
        ArgumentsCase{"ImpactOnFolders",
                      {"a", "--impact", "--json", "--config", "new.cfg", "b"},
                      Mode::Impact,
                      "new.cfg",
                      "",
                      ""},
        ArgumentsCase{"ImpactNeedsConfig",
                      {"--impact", "a"},
                      Mode::UsageError,
                      "",
                      "",
                      "option '--impact' needs '--config FILE', the new template set's "
                      "configuration"},
        ArgumentsCase{"ImpactNeedsFolder",
                      {"--impact", "--config=new.cfg"},
                      Mode::UsageError,
                      "",
                      "",
                      "FOLDER missing: where the generated projects are"},
        ArgumentsCase{"ImpactRunsNothingElse",
                      {"--impact", "--config=new.cfg", "--prune", "a"},
                      Mode::UsageError,
                      "",
                      "",
                      "option '--impact' takes only '--json', '--config FILE' and FOLDER..."},
        ArgumentsCase{"ImpactFolderEmpty",
                      {"--impact", "--config=new.cfg", ""},
                      Mode::UsageError,
                      "",
                      "",
                      "FOLDER is empty"},
        ArgumentsCase{"EditsWithoutStatus",
                      {"--edits", "p.json"},
                      Mode::UsageError,
                      "",
                      "",
                      "option '--edits' goes with '--status'"}),
    [](const testing::TestParamInfo<ArgumentsCase>& info) { return std::string(info.param.name); });

TEST(CommandLineConflict, StyleInEitherSpelling) {
    for (const auto& [arguments, style] :
         {std::pair{std::vector<std::string_view>{"p.json"}, ConflictStyle::Beside},
          std::pair{std::vector<std::string_view>{"--conflict=markers", "p.json"},
                    ConflictStyle::Markers},
          std::pair{std::vector<std::string_view>{"--dry-run", "--conflict", "git", "p.json"},
                    ConflictStyle::Git},
          std::pair{std::vector<std::string_view>{"--conflict=beside", "p.json"},
                    ConflictStyle::Beside}}) {
        const CommandLine command = parseCommandLine(arguments);
        EXPECT_EQ(command.mode, Mode::Generate) << command.error;
        EXPECT_EQ(command.conflictStyle, style) << arguments.front();
        EXPECT_EQ(command.projectPath, "p.json");
    }
}

TEST(CommandLineTexts, VersionAndUsage) {
    EXPECT_EQ(versionText(), "vantrel-gen 1.4\n");
    EXPECT_EQ(usageText(),
              "usage: vantrel-gen [--config FILE] [--strict] "
              "[--conflict=beside|markers|git]\n"
              "                  PROJECT_FILE\n"
              "       vantrel-gen --check [--werror] [--config FILE] [PROJECT_FILE]\n"
              "       vantrel-gen --status [--json] [--edits] [--config FILE]\n"
              "                   PROJECT_FILE | PROJECT_FOLDER\n"
              "       vantrel-gen --detach PATH | --attach PATH\n"
              "       vantrel-gen --verify [--accept] [--build COMMAND] [--config FILE]\n"
              "                   CASES_FOLDER\n"
              "       vantrel-gen --explain FILE:LINE [--config FILE] PROJECT_FILE\n"
              "       vantrel-gen --impact [--json] --config FILE FOLDER...\n"
              "       vantrel-gen --help | --version\n");
    EXPECT_TRUE(helpText().starts_with(usageText()));
}

} // namespace
} // namespace vantrel
