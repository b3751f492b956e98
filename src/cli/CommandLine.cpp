#include "cli/CommandLine.h"

#include "model/Version.h"

#include <algorithm>
#include <iterator>
#include <optional>

namespace vantrel {
namespace {

CommandLine usageError(std::string error) {
    CommandLine command;
    command.mode = CommandLine::Mode::UsageError;
    command.error = std::move(error);
    return command;
}

constexpr std::string_view CONFIG_OPTION = "--config";
constexpr std::string_view CONFLICT_OPTION = "--conflict";

constexpr std::pair<std::string_view, ConflictStyle> CONFLICT_STYLES[] = {
    {"beside", ConflictStyle::Beside},
    {"markers", ConflictStyle::Markers},
    {"git", ConflictStyle::Git},
};

// The options that stand alone, and what each turns on.
struct Flag {
    std::string_view name;
    bool CommandLine::*field;
};
constexpr Flag FLAGS[] = {
    {"--warnings", &CommandLine::warnings},  {"--dry-run", &CommandLine::dryRun},
    {"--diff", &CommandLine::diff},          {"--summary", &CommandLine::summary},
    {"--no-record", &CommandLine::noRecord}, {"--overwrite-edited", &CommandLine::overwriteEdited},
    {"--verbose", &CommandLine::verbose},    {"--werror", &CommandLine::werror},
    {"--json", &CommandLine::json},          {"--edits", &CommandLine::edits},
    {"--prune", &CommandLine::prune},        {"--accept", &CommandLine::accept},
    {"--strict", &CommandLine::strict},      {"--impact", &CommandLine::impact},
};

// Turns on the flag the argument names; false when it names none.
bool setFlag(CommandLine& command, std::string_view argument) {
    const auto flag =
        std::find_if(std::begin(FLAGS), std::end(FLAGS),
                     [argument](const Flag& entry) { return entry.name == argument; });
    if (flag == std::end(FLAGS))
        return false;
    command.*flag->field = true;
    return true;
}

} // namespace

CommandLine parseCommandLine(std::span<const std::string_view> arguments) {
    CommandLine command;
    // --help and --version win wherever they stand, as a reader of a long line would expect.
    for (std::string_view argument : arguments) {
        if (argument == "--") // what follows are file names
            break;
        if (argument == "--help" || argument == "-h" || argument == "--version") {
            command.mode =
                argument == "--version" ? CommandLine::Mode::Version : CommandLine::Mode::Help;
            return command;
        }
    }

    // --impact takes any number of folders, wherever it stands among them.
    const auto optionsEnd = std::find(arguments.begin(), arguments.end(), "--");
    const bool impact = std::find(arguments.begin(), optionsEnd, "--impact") != optionsEnd;
    bool check = false;
    bool status = false;
    std::optional<CommandLine::Mode> ownership;
    bool haveConfig = false;
    bool haveProject = false;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        std::string_view config;
        bool isConfig = false;
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && argument == CONFIG_OPTION) {
            if (i + 1 >= arguments.size())
                return usageError("option '--config' needs a FILE");
            config = arguments[++i];
            isConfig = true;
        } else if (!optionsEnded && argument.starts_with("--config=")) {
            config = argument.substr(CONFIG_OPTION.size() + 1);
            isConfig = true;
        } else if (!optionsEnded && (argument == CONFLICT_OPTION ||
                                     argument.starts_with(std::string(CONFLICT_OPTION) + "="))) {
            std::string_view style;
            if (argument == CONFLICT_OPTION) {
                if (i + 1 >= arguments.size())
                    return usageError("option '--conflict' needs beside, markers or git");
                style = arguments[++i];
            } else {
                style = argument.substr(CONFLICT_OPTION.size() + 1);
            }
            const auto known =
                std::find_if(std::begin(CONFLICT_STYLES), std::end(CONFLICT_STYLES),
                             [style](const auto& entry) { return entry.first == style; });
            if (known == std::end(CONFLICT_STYLES))
                return usageError("option '--conflict' takes beside, markers or git, not '" +
                                  std::string(style) + "'");
            if (command.conflictGiven)
                return usageError("option '--conflict' given twice");
            command.conflictStyle = known->second;
            command.conflictGiven = true;
            continue;
        } else if (!optionsEnded && setFlag(command, argument)) {
            continue;
        } else if (!optionsEnded && argument == "--check") {
            check = true;
            continue;
        } else if (!optionsEnded && argument == "--status") {
            status = true;
            continue;
        } else if (!optionsEnded && argument == "--explain") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty() ||
                !command.explainPlace.empty())
                return usageError("option '--explain' needs one FILE:LINE");
            command.explainPlace = arguments[++i];
            continue;
        } else if (!optionsEnded && (argument == "--verify" || argument == "--build")) {
            std::string& value = argument == "--verify" ? command.casesPath : command.buildCommand;
            if (i + 1 >= arguments.size() || arguments[i + 1].empty() || !value.empty())
                return usageError("option '" + std::string(argument) + "' needs one " +
                                  (argument == "--verify" ? "CASES_FOLDER" : "COMMAND"));
            value = arguments[++i];
            continue;
        } else if (!optionsEnded && (argument == "--detach" || argument == "--attach")) {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty())
                return usageError("option '" + std::string(argument) + "' needs a PATH");
            if (!command.targetPath.empty())
                return usageError("only one of '--detach' and '--attach', with one PATH");
            ownership =
                argument == "--detach" ? CommandLine::Mode::Detach : CommandLine::Mode::Attach;
            command.targetPath = arguments[++i];
            continue;
        } else if (!optionsEnded && argument.size() > 1 && argument.front() == '-') {
            return usageError("unknown option '" + std::string(argument) + "'");
        }

        if (isConfig) {
            if (haveConfig)
                return usageError("option '--config' given twice");
            if (config.empty())
                return usageError("option '--config' needs a FILE");
            command.configPath = config;
            haveConfig = true;
        } else if (impact) {
            if (argument.empty())
                return usageError("FOLDER is empty");
            command.folders.emplace_back(argument);
        } else {
            if (haveProject)
                return usageError("only one PROJECT_FILE can be given");
            if (argument.empty())
                return usageError("PROJECT_FILE is empty");
            command.projectPath = argument;
            haveProject = true;
        }
    }
    if (!command.casesPath.empty() || command.accept || !command.buildCommand.empty()) {
        const bool others = haveProject || ownership || check || status ||
                            std::any_of(std::begin(FLAGS), std::end(FLAGS), [&](const Flag& flag) {
                                return command.*flag.field && flag.field != &CommandLine::accept &&
                                       flag.field != &CommandLine::verbose;
                            });
        if (command.casesPath.empty() || others || command.conflictGiven)
            return usageError("options '--accept' and '--build' go with '--verify CASES_FOLDER', "
                              "which takes only them, '--config' and '--verbose'");
        command.mode = CommandLine::Mode::Verify;
        return command;
    }
    if (!command.explainPlace.empty()) {
        // Only where the project's configuration and files come from matters to it.
        if (check || status || ownership ||
            std::any_of(std::begin(FLAGS), std::end(FLAGS),
                        [&command](const Flag& flag) { return command.*flag.field; }))
            return usageError("option '--explain FILE:LINE' takes only '--config' and "
                              "PROJECT_FILE");
        if (!haveProject)
            return usageError("PROJECT_FILE missing");
        command.mode = CommandLine::Mode::Explain;
        return command;
    }
    if (impact) {
        // It writes nothing and runs as the new set's projects would: a run's options mean
        // nothing to it.
        if (check || status || ownership || command.conflictGiven ||
            std::any_of(std::begin(FLAGS), std::end(FLAGS), [&command](const Flag& flag) {
                return command.*flag.field && flag.field != &CommandLine::impact &&
                       flag.field != &CommandLine::json;
            }))
            return usageError("option '--impact' takes only '--json', '--config FILE' and "
                              "FOLDER...");
        if (!haveConfig)
            return usageError("option '--impact' needs '--config FILE', the new template set's "
                              "configuration");
        if (command.folders.empty())
            return usageError("FOLDER missing: where the generated projects are");
        command.mode = CommandLine::Mode::Impact;
        return command;
    }
    if (ownership) {
        // Only the record changes: nothing of a run's goes with it.
        if (haveProject || haveConfig || check || status ||
            std::any_of(std::begin(FLAGS), std::end(FLAGS),
                        [&command](const Flag& flag) { return command.*flag.field; }))
            return usageError(std::string("'") +
                              (*ownership == CommandLine::Mode::Detach ? "--detach" : "--attach") +
                              " PATH' takes no other argument");
        command.mode = *ownership;
        return command;
    }
    if (command.werror && !check)
        return usageError("option '--werror' needs '--check'");
    if ((command.json || command.edits) && !status)
        return usageError(std::string("option '") + (command.json ? "--json" : "--edits") +
                          "' goes with '--status'");
    if (status) {
        // A status writes nothing and warns of nothing: the options of a run mean nothing to it.
        for (const auto& [name, given] :
             {std::pair{"--check", check}, std::pair{"--dry-run", command.dryRun},
              std::pair{"--diff", command.diff}, std::pair{"--no-record", command.noRecord},
              std::pair{"--overwrite-edited", command.overwriteEdited},
              std::pair{"--prune", command.prune}, std::pair{"--summary", command.summary},
              std::pair{"--conflict", command.conflictGiven},
              std::pair{"--warnings", command.warnings}, std::pair{"--strict", command.strict}})
            if (given)
                return usageError(std::string("option '") + name + "' does not go with '--status'");
        if (!haveProject)
            return usageError("PROJECT_FILE or PROJECT_FOLDER missing");
        command.mode = CommandLine::Mode::Status;
        return command;
    }
    // A check without a project file looks at both hosts.
    if (!haveProject && !check)
        return usageError("PROJECT_FILE missing");
    if (check && command.conflictGiven)
        return usageError("option '--conflict' does not go with '--check'");
    if (check && command.strict)
        return usageError("option '--strict' does not go with '--check'");
    command.mode = check ? CommandLine::Mode::Check : CommandLine::Mode::Generate;
    if (command.diff && !command.dryRun)
        return usageError("option '--diff' goes with '--dry-run'");
    return command;
}

std::string usageText() {
    return "usage: vantrel-gen [--config FILE] [--strict] [--conflict=beside|markers|git]\n"
           "                  PROJECT_FILE\n"
           "       vantrel-gen --check [--werror] [--config FILE] [PROJECT_FILE]\n"
           "       vantrel-gen --status [--json] [--edits] [--config FILE]\n"
           "                   PROJECT_FILE | PROJECT_FOLDER\n"
           "       vantrel-gen --detach PATH | --attach PATH\n"
           "       vantrel-gen --verify [--accept] [--build COMMAND] [--config FILE]\n"
           "                   CASES_FOLDER\n"
           "       vantrel-gen --explain FILE:LINE [--config FILE] PROJECT_FILE\n"
           "       vantrel-gen --impact [--json] --config FILE FOLDER...\n"
           "       vantrel-gen --help | --version\n";
}

std::string helpText() {
    return usageText() +
           "\n"
           "Generates a plug-in project from the JSON project file, as the wizard's \"Create\"\n"
           "does: folders created and files written or copied are listed on standard output,\n"
           "messages go to standard error.\n"
           "\n"
           "  --config FILE  read the configuration from FILE; without it, the first found of\n"
           "                 vantrel.cfg in the current working folder,\n"
           "                 $XDG_CONFIG_HOME/vantrel/vantrel.cfg (~/.config when unset) and\n"
           "                 the configuration of the installed sample\n"
           "  --warnings     also print warnings to standard error (a runaway expansion that\n"
           "                 was stopped, for one)\n"
           "  --dry-run      write nothing: list each target, in the script's order, with\n"
           "                 what the run would do to it (new, same, replaced, merged, kept,\n"
           "                 conflict, deleted by you, no longer generated, delete, blocked,\n"
           "                 refused or kept (yours)), then the run's messages\n"
           "  --diff         with --dry-run, a unified diff of each changed file\n"
           "  --summary      the counts of the run (folders created, files written, copied,\n"
           "                 unchanged, kept, errors) as one line on standard error\n"
           "  --verbose      after each message that a script or template line caused, print\n"
           "                 that line's place as FILE:LINE:\n"
           "  --check        check the configuration, the scripts and the template sections\n"
           "                 they name, without running or writing anything: every problem is\n"
           "                 printed on standard output as FILE:LINE:COLUMN: error: TEXT (or\n"
           "                 warning:). With PROJECT_FILE, its host and values are checked;\n"
           "                 without, both hosts with the configuration's defaults\n"
           "  --werror       with --check, count warnings as errors\n"
           "  --explain FILE:LINE\n"
           "                 write nothing: say which template line (file, line, column,\n"
           "                 section), action and loop turn made LINE of the generated FILE,\n"
           "                 or which file a copied FILE comes from\n"
           "  --strict       run the checks of --check first and nothing else when they find\n"
           "                 an error: the problems are printed on standard error and the\n"
           "                 exit status is 1. The configuration's strict = \"yes\" makes\n"
           "                 every run and every Create of the wizard strict\n"
           "  --status       write nothing: compare the generated project with its record\n"
           "                 and with what the inputs make now, one line per file: current,\n"
           "                 outdated, edited, edited+outdated, conflict, deleted, no longer\n"
           "                 generated or yours, then each input whose bytes differ from the\n"
           "                 record (changed configuration|script|template|answers PATH, or\n"
           "                 no longer read ... PATH). PROJECT_FOLDER takes the answers from\n"
           "                 its record\n"
           "  --json         with --status, print one JSON object instead\n"
           "  --edits        with --status, a unified diff of each file you changed, against\n"
           "                 the text this program wrote there\n"
           "  --detach PATH  make the generated file PATH yours: no run writes, merges or\n"
           "                 deletes it again, and none puts a FILE.vantrel-new beside it;\n"
           "                 runs list it as kept (yours). Only the record of its project\n"
           "                 changes\n"
           "  --attach PATH  undo --detach: the next run merges the new text into PATH again\n"
           "  --verify CASES_FOLDER\n"
           "                 run each case (a folder holding project.json and the tree it\n"
           "                 should make in expected/, optionally the messages and exit\n"
           "                 status in messages and status, an existing project in before/)\n"
           "                 in memory and compare; a difference is printed as FILE:LINE: and\n"
           "                 a unified diff. Writes nothing\n"
           "  --accept       with --verify, write what each case made as its expectations\n"
           "  --build COMMAND\n"
           "                 with --verify, also write each case's tree into a temporary\n"
           "                 folder and run COMMAND by the shell there, {dir} replaced by the\n"
           "                 project folder (quoted); a failure or ten minutes fail the case\n"
           "  --impact       write nothing: regenerate in memory, with the configuration of\n"
           "                 --config FILE (a new template set), every project below each\n"
           "                 FOLDER that has a record, and print per project and in total how\n"
           "                 many files would be unchanged, replaced, merged, in conflict,\n"
           "                 deleted by you or no longer generated, then each file that would\n"
           "                 change with the label of --dry-run; with --json, one JSON object\n"
           "  --no-record    keep no record of the run in the project (see below)\n"
           "  --overwrite-edited\n"
           "                 write every file as generated, over your edits and over files\n"
           "                 no record proves this program wrote\n"
           "  --prune        delete the files the record lists that the run no longer makes,\n"
           "                 when they still hold what was generated, and the recorded\n"
           "                 folders that leaves empty; an edited one is kept and named\n"
           "  --conflict=beside|markers|git\n"
           "                 where a file whose edits overlap the new text gets the new text:\n"
           "                 beside it as FILE.vantrel-new (the default); markers: into the\n"
           "                 file between conflict markers (<<<<<<< yours, ||||||| base,\n"
           "                 =======, >>>>>>> new); git: the same, and the base, your text and\n"
           "                 the new text recorded as the file's stages 1, 2 and 3 in the index\n"
           "                 of the git work tree holding it (outside one, as markers). A copied\n"
           "                 file, or one with no base to merge on, always gets FILE.vantrel-new\n"
           "  --help         show this help and exit\n"
           "  --version      show the version and exit\n"
           "\n"
           "A file that exists is replaced only when its bytes change, and then whole: a\n"
           "failed write leaves the old file as it was.\n"
           "\n"
           "A run that wrote anything keeps a record in PROJECT_FOLDER/.vantrel/ (the answers,\n"
           "the files it made with their hashes, the configuration, script and templates it\n"
           "read). A run writes over an existing file only when the record proves this program\n"
           "wrote what it holds; a file edited since is merged with the new text, and any\n"
           "other file that differs is kept as it is with the new text beside it as\n"
           "FILE.vantrel-new, until you remove that file (or the conflict markers in the file,\n"
           "with --conflict=markers or git): a file whose conflict is open is never merged into.\n"
           "Files no longer generated and files you deleted are named, never written again, and\n"
           "deleted only with --prune. Files that are yours (detached, or written once by the\n"
           "script's create_file_once:) are never written over, merged, pruned or given a\n"
           "FILE.vantrel-new. An action renamed in PROJECT_FILE (same \"id\", new name) moves its\n"
           "files: the old file is merged onto the new path and removed (kept when the edits\n"
           "overlap), listed as OLD -> NEW (moved, merged). A run gives actions without an id\n"
           "one.\n"
           "\n"
           "Exit status: 0 when generated (failed assertions aside), 1 when the run reported\n"
           "an error, 2 when the arguments, the project file or the project were refused, 3 when\n"
           "generated but some files were kept for you to merge (FILE.vantrel-new beside them,\n"
           "or conflict markers in them).\n"
           "A dry run gives the status the run would give. A check ends with 0 when it found no\n"
           "error, 1 when it did, 2 as a run does. A status ends with 0 when every file is\n"
           "current, 4 when some are outdated, 5 when some are edited, 6 when both, 3 when a\n"
           "conflict is open, 1 when there is no record or the run would fail. --detach and\n"
           "--attach end with 0 when the record says so, 2 when PATH is no file the record\n"
           "lists, 1 when the record cannot be changed. --verify ends with 0 when every case\n"
           "passed, 1 when one failed. --impact ends with 0 when no project would have a\n"
           "conflict, 3 when one would, 1 when a run would fail or a FOLDER cannot be read.\n";
}

std::string versionText() {
    return std::string(CLI_PROGRAM_NAME) + " " + VANTREL_VERSION + "\n";
}

} // namespace vantrel
