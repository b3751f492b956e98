#include "cli/CommandLine.h"

#include "model/Version.h"

namespace vantrel {
namespace {

CommandLine usageError(std::string error) {
    CommandLine command;
    command.mode = CommandLine::Mode::UsageError;
    command.error = std::move(error);
    return command;
}

constexpr std::string_view CONFIG_OPTION = "--config";

} // namespace

CommandLine parseCommandLine(std::span<const std::string_view> arguments) {
    // --help and --version win wherever they stand, as a reader of a long line would expect.
    for (std::string_view argument : arguments) {
        if (argument == "--") // what follows are file names
            break;
        if (argument == "--help" || argument == "-h")
            return CommandLine{CommandLine::Mode::Help, {}, {}, {}};
        if (argument == "--version")
            return CommandLine{CommandLine::Mode::Version, {}, {}, {}};
    }

    CommandLine command;
    command.mode = CommandLine::Mode::Generate;
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
        } else {
            if (haveProject)
                return usageError("only one PROJECT_FILE can be given");
            if (argument.empty())
                return usageError("PROJECT_FILE is empty");
            command.projectPath = argument;
            haveProject = true;
        }
    }
    if (!haveProject)
        return usageError("PROJECT_FILE missing");
    return command;
}

std::string usageText() {
    return "usage: vantrel-gen [--config FILE] PROJECT_FILE\n"
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
           "  --help         show this help and exit\n"
           "  --version      show the version and exit\n"
           "\n"
           "Exit status: 0 when generated (failed assertions aside), 1 when the run reported\n"
           "an error, 2 when the arguments, the project file or the project were refused.\n";
}

std::string versionText() {
    return std::string(CLI_PROGRAM_NAME) + " " + VANTREL_VERSION + "\n";
}

} // namespace vantrel
