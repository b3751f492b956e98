#include "cli/OwnershipCommand.h"

#include "run/FileOwnership.h"

namespace vantrel {

int runOwnership(const CommandLine& command, std::ostream& out, std::ostream& err) {
    using Outcome = OwnershipChange::Outcome;
    const bool detach = command.mode == CommandLine::Mode::Detach;
    const OwnershipChange change = changeOwnership(command.targetPath, detach);
    const std::string& path = command.targetPath;
    switch (change.outcome) {
    case Outcome::Changed:
        out << (detach ? "detached " : "attached ") << path
            << (detach ? ": yours, no run writes or merges it again\n"
                       : ": the next run merges the new text into it again\n");
        return EXIT_GENERATED;
    case Outcome::AlreadySo:
        out << path << (detach ? " is yours already\n" : " is not detached\n");
        return EXIT_GENERATED;
    case Outcome::NoRecord:
        err << CLI_PROGRAM_NAME << ": " << path
            << ": no folder above it holds the record of a generated project\n";
        return EXIT_BAD_INPUT;
    case Outcome::NotRecorded:
        err << CLI_PROGRAM_NAME << ": " << path << ": the record of " << change.projectFolder
            << " lists no such generated file\n";
        return EXIT_BAD_INPUT;
    case Outcome::Damaged:
        err << CLI_PROGRAM_NAME << ": the record of " << change.projectFolder
            << " cannot be read whole (" << change.why
            << "); run the project once to write it again\n";
        return EXIT_RUN_ERROR;
    case Outcome::Busy:
        err << CLI_PROGRAM_NAME << ": another run is writing " << change.projectFolder
            << "; nothing was changed, try again when it has ended\n";
        return EXIT_RUN_ERROR;
    case Outcome::NotWritten:
        err << CLI_PROGRAM_NAME << ": cannot write the record: " << change.why << '\n';
        return EXIT_RUN_ERROR;
    }
    return EXIT_RUN_ERROR;
}

} // namespace vantrel
