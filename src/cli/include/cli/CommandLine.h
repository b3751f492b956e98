#pragma once

#include "run/ProjectRun.h" // ConflictStyle

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

inline constexpr std::string_view CLI_PROGRAM_NAME = "vantrel-gen";

// Exit statuses of the headless generator; a check ends as a run does, 1 meaning errors found.
inline constexpr int EXIT_GENERATED = 0;      // nothing but failed assertions reported
inline constexpr int EXIT_RUN_ERROR = 1;      // the run reported an error
inline constexpr int EXIT_BAD_INPUT = 2;      // usage, project file or validation refused
inline constexpr int EXIT_KEPT_FOR_MERGE = 3; // generated; some files kept for you to merge
// --status: the project against its record and what its inputs make now (3: a conflict is open).
inline constexpr int EXIT_OUTDATED = 4;
inline constexpr int EXIT_EDITED = 5;
inline constexpr int EXIT_EDITED_AND_OUTDATED = 6;

// What the arguments ask for: vantrel-gen [--config FILE] PROJECT_FILE,
// --check [--werror] [--config FILE] [PROJECT_FILE], --status [--json] [--edits] [--config FILE]
// PROJECT_FILE|PROJECT_FOLDER, --detach PATH, --attach PATH, --verify [--accept] [--build
// COMMAND] [--config FILE] CASES_FOLDER, --impact [--json] --config FILE FOLDER..., --help or
// --version.
struct CommandLine {
    enum class Mode {
        Generate,
        Check,
        Status,
        Detach,  // targetPath: a generated file made the user's
        Attach,  // targetPath: a detached file made the program's again
        Verify,  // casesPath: the cases of a template set, run and compared
        Explain, // explainPlace: where a generated line comes from
        Impact,  // folders: what a new template set does to the projects recorded below them
        Help,
        Version,
        UsageError,
    };
    Mode mode = Mode::UsageError;
    std::string configPath;
    std::string projectPath;
    std::string targetPath;       // --detach, --attach
    std::string casesPath;        // --verify
    std::string explainPlace;     // --explain FILE:LINE
    std::string buildCommand;     // --build: run on each verified case's tree
    bool accept = false;          // --verify: the results become the expectations
    bool warnings = false;        // print warnings on standard error
    bool dryRun = false;          // write nothing; list what each target would become
    bool diff = false;            // with dryRun: a unified diff for each changed file
    bool summary = false;         // the counts of the run as one line on standard error
    bool verbose = false;         // print the place of each message that has one
    bool werror = false;          // a check counts warnings as errors
    bool noRecord = false;        // keep no record of the run in the project
    bool overwriteEdited = false; // write every file as generated, edited or not
    bool json = false;            // a status as one JSON object
    bool edits = false;           // a status with the user's edits as unified diffs
    bool prune = false;           // delete files no longer generated that are still as generated
    bool strict = false;          // run the checks first; run nothing when they find an error
    bool impact = false;          // regenerate recorded projects in memory with --config FILE
    ConflictStyle conflictStyle = ConflictStyle::Beside; // --conflict=beside|markers|git
    bool conflictGiven = false;
    std::vector<std::string> folders; // --impact: where the recorded projects are looked for
    std::string error;                // for UsageError: what was wrong, without the usage lines
};

// The arguments after the program name.
CommandLine parseCommandLine(std::span<const std::string_view> arguments);

// The two usage lines, each ending in a line break.
std::string usageText();
// The usage lines and what each argument means.
std::string helpText();
std::string versionText();

} // namespace vantrel
