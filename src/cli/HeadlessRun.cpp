#include "cli/HeadlessRun.h"

#include "cli/CheckRun.h"

#include "cli/StreamSink.h"
#include "config/Configuration.h"
#include "config/ConfigurationSearch.h"
#include "diff/TextDiff.h"
#include "engine/CreateProject.h"
#include "engine/Generator.h"
#include "fileutil/DiskOutput.h"
#include "fileutil/MemoryOutput.h"
#include "model/NameChecks.h"
#include "project/ProjectFile.h"

#include <optional>
#include <sstream>

namespace vantrel {
namespace {

// Reads the configuration that the search finds. A run on the built-in settings names files
// that seldom exist, so it is said once, before anything else, with where the search looked.
void readFoundConfiguration(ProjectState& project, MessageSink& sink, const std::string& option,
                            std::ostream& err) {
    const ConfigurationPlaces places = configurationPlaces(option);
    const ConfigurationChoice choice = findConfiguration(places);
    if (choice.origin == ConfigurationOrigin::None) {
        err << CLI_PROGRAM_NAME << ": no configuration found, running on built-in defaults";
        const char* separator = " (looked for ";
        for (const ConfigurationChoice& candidate : configurationCandidates(places)) {
            err << separator << candidate.path;
            separator = ", ";
        }
        err << ")\n";
    } else if (!readConfiguration(project, sink, choice.path)) {
        err << CLI_PROGRAM_NAME << ": cannot read the configuration " << choice.path
            << ", running on built-in defaults\n";
    }
}

} // namespace

namespace {

const char* stateName(MemoryOutput::State state) {
    switch (state) {
    case MemoryOutput::State::New:
        return "new";
    case MemoryOutput::State::Same:
        return "same";
    case MemoryOutput::State::Changed:
        return "changed";
    case MemoryOutput::State::Blocked:
        return "blocked";
    }
    return "";
}

// The run into memory: the targets with what each would become, then the run's messages.
int previewRun(const CommandLine& command, std::ostream& out, std::ostream& err) {
    MemoryOutput memory;
    std::ostringstream listing;
    std::ostringstream messages;
    const int status = runHeadless(command, listing, messages, memory);
    for (const MemoryOutput::Target& target : memory.targets()) {
        out << stateName(target.state) << ' ' << target.nativePath << '\n';
        if (command.diff && target.oldBytes) {
            const auto& entry = memory.tree().at(target.key);
            const std::optional<std::string> diff =
                unifiedDiff(*target.oldBytes, entry.bytes, target.nativePath, target.nativePath);
            out << diff.value_or("(no diff: the comparing library could not be loaded)\n");
        }
    }
    out.flush();
    err << messages.str();
    return status;
}

} // namespace

std::string summaryLine(const RunSummary& summary, std::size_t errors) {
    return "folders created: " + std::to_string(summary.foldersCreated) +
           ", files written: " + std::to_string(summary.filesWritten) +
           ", copied: " + std::to_string(summary.filesCopied) +
           ", unchanged: " + std::to_string(summary.unchanged) +
           ", kept: " + std::to_string(summary.kept) + ", errors: " + std::to_string(errors);
}

int runHeadless(const CommandLine& command, std::ostream& out, std::ostream& err) {
    DiskOutput disk;
    return runHeadless(command, out, err, disk);
}

int runHeadless(const CommandLine& command, std::ostream& out, std::ostream& err,
                ProjectOutput& output) {
    ProjectState project;
    StreamSink sink(err, command.verbose);
    readFoundConfiguration(project, sink, command.configPath, err);
    project.setDefaultDllFlags();

    if (const std::optional<ProjectFileError> error =
            ProjectFile(command.projectPath).load(project)) {
        err << error->message << '\n';
        return EXIT_BAD_INPUT;
    }
    if (!validateProject(project, sink))
        return EXIT_BAD_INPUT;
    if (command.warnings)
        for (const std::string& warning : projectWarnings(project, project.nameText))
            err << CLI_PROGRAM_NAME << ": warning: " << warning << '\n';

    Generator generator(project, sink, output);
    // Listed without a flush per line; tied to out, err flushes the list before each message,
    // so the two streams still read in the order things happened.
    generator.setOutputListener(
        [&out](const std::string& nativePath) { out << nativePath << '\n'; });
    if (command.warnings)
        generator.setWarningListener(
            [&err, &command](const std::string& warning, const MessagePlace& place) {
                err << CLI_PROGRAM_NAME << ": warning: " << warning << '\n';
                if (command.verbose && place.known())
                    err << placeText(place) << '\n';
            });
    std::ostream* const previousTie = err.tie(&out);
    // The project file already set dllFlags; -1 keeps them.
    commitAndGenerate(project, -1, generator);
    err.tie(previousTie);
    out.flush();
    if (command.summary)
        err << CLI_PROGRAM_NAME << ": "
            << summaryLine(generator.script().summary(), sink.errorCount()) << '\n';
    return sink.errorReported() ? EXIT_RUN_ERROR : EXIT_GENERATED;
}

int runVantrelGen(std::span<const std::string_view> arguments, std::ostream& out, std::ostream& err,
                  ProjectOutput& output) {
    const CommandLine command = parseCommandLine(arguments);
    switch (command.mode) {
    case CommandLine::Mode::Help:
        out << helpText();
        return EXIT_GENERATED;
    case CommandLine::Mode::Version:
        out << versionText();
        return EXIT_GENERATED;
    case CommandLine::Mode::UsageError:
        err << CLI_PROGRAM_NAME << ": " << command.error << '\n' << usageText();
        return EXIT_BAD_INPUT;
    case CommandLine::Mode::Check:
        return runCheck(command, out, err);
    case CommandLine::Mode::Generate:
        break;
    }
    if (command.dryRun)
        return previewRun(command, out, err);
    return runHeadless(command, out, err, output);
}

} // namespace vantrel
