#include "cli/CheckRun.h"
#include "cli/CommandLine.h"
#include "cli/HeadlessRun.h"

#include <csignal>
#include <iostream>
#include <string_view>
#include <vector>

int main(int argc, char* argv[]) {
    using namespace vantrel;
#ifdef SIGXFSZ
    // Past a file-size limit a write fails and is reported, instead of the signal ending the run.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const CommandLine command = parseCommandLine(arguments);
    switch (command.mode) {
    case CommandLine::Mode::Help:
        std::cout << helpText();
        return EXIT_GENERATED;
    case CommandLine::Mode::Version:
        std::cout << versionText();
        return EXIT_GENERATED;
    case CommandLine::Mode::UsageError:
        std::cerr << CLI_PROGRAM_NAME << ": " << command.error << '\n' << usageText();
        return EXIT_BAD_INPUT;
    case CommandLine::Mode::Check:
        return runCheck(command, std::cout, std::cerr);
    case CommandLine::Mode::Generate:
        break;
    }
    return runHeadless(command, std::cout, std::cerr);
}
