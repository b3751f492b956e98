#include "cli/HeadlessRun.h"

#include "cli/CheckRun.h"

#include "cli/StreamSink.h"
#include "config/Configuration.h"
#include "config/ConfigurationSearch.h"
#include "diff/TextDiff.h"
#include "diff/TextMerge.h"
#include "engine/CreateProject.h"
#include "engine/Generator.h"
#include "fileutil/DiskOutput.h"
#include "fileutil/MemoryOutput.h"
#include "fileutil/ProjectLock.h"
#include "fileutil/TextFile.h"
#include "model/NameChecks.h"
#include "project/ProjectFile.h"
#include "record/RecordSession.h"

#include <algorithm>
#include <optional>
#include <set>
#include <sstream>

namespace vantrel {
namespace {

// The configuration file a run read, for its record: its path (empty when none was), its bytes.
struct ReadConfiguration {
    std::string path;
    std::string bytes;
};

int runProject(const CommandLine& command, std::ostream& out, std::ostream& err,
               ProjectOutput& output, bool preview, std::ostream* previewListing);

// Reads the configuration that the search finds. A run on the built-in settings names files
// that seldom exist, so it is said once, before anything else, with where the search looked.
ReadConfiguration readFoundConfiguration(ProjectState& project, MessageSink& sink,
                                         const std::string& option, std::ostream& err) {
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
        return {};
    }
    std::optional<std::string> bytes = readFileBytes(choice.path);
    if (!bytes) {
        reportError(sink, ErrorKind::ERR_CONFIG_OPEN, choice.path);
        err << CLI_PROGRAM_NAME << ": cannot read the configuration " << choice.path
            << ", running on built-in defaults\n";
        return {};
    }
    readConfigurationBytes(project, *bytes);
    return {choice.path, std::move(*bytes)};
}

// Says what became of the files the user edited or deleted since the last run, of files kept
// because nothing proves this program wrote them, and of those the run no longer makes. A new
// text that could not be written beside its file is an error of the run, told as any failed
// write is. True when some were kept for the user to merge.
bool reportRegeneration(const RecordingOutput& output, MessageSink& sink, std::ostream& err) {
    bool keptForMerge = false;
    const std::string program = std::string(CLI_PROGRAM_NAME) + ": ";
    for (const RecordingOutput::Outcome& outcome : output.outcomes()) {
        switch (outcome.state) {
        case TargetState::Merged:
            if (outcome.written)
                err << program << "merged the new text into your edits of " << outcome.nativePath
                    << '\n';
            break;
        case TargetState::Conflict:
            if (outcome.besideFailed) {
                reportError(sink, ErrorKind::ERR_OPEN_FILE, outcome.beside);
                break;
            }
            keptForMerge = true;
            err << program << "kept " << outcome.nativePath;
            if (outcome.unproven)
                err << ": it was there already and no record shows that this program wrote it";
            else
                err << ": your edits and the new text overlap";
            if (outcome.besideYours)
                err << "; " << outcome.beside << " holds your changes and was left as it is\n";
            else
                err << "; the new text is in " << outcome.beside << '\n';
            break;
        case TargetState::Kept:
            err << program << "kept " << outcome.nativePath
                << ": edited by you, and its generated text did not change\n";
            break;
        case TargetState::DeletedByYou:
            err << program << "not written again: " << outcome.nativePath << " (deleted by you)\n";
            break;
        default:
            break;
        }
    }
    for (const std::string& key : output.noLongerGenerated())
        err << program << "no longer generated, left as it is: " << key << '\n';
    // Conflicts of earlier runs stay until the user removes the new text beside the file.
    std::set<std::string> named;
    for (const RecordingOutput::Outcome& outcome : output.outcomes())
        if (outcome.state == TargetState::Conflict)
            named.insert(outcome.nativePath);
    for (const std::string& nativePath : output.openConflicts()) {
        keptForMerge = true;
        if (!named.contains(nativePath))
            err << program << "not resolved yet: " << nativePath << " (remove " << nativePath
                << RecordingOutput::BESIDE_SUFFIX << " once it is)\n";
    }
    const auto& outcomes = output.outcomes();
    if (std::any_of(outcomes.begin(), outcomes.end(),
                    [](const auto& outcome) { return outcome.mergeUnavailable; }))
        err << program << "cannot merge the new text into files you edited (" << mergeUnavailable()
            << "); they were kept, the new text beside them\n";
    return keptForMerge;
}

// The run's listing of a preview: every target with what the run does to it, in the order the
// run went for them, then the files no longer generated.
void listPreview(const RecordingOutput& recording, const MemoryOutput& memory, bool diff,
                 std::ostream& out) {
    std::set<std::string> blocked;
    for (const MemoryOutput::Target& target : memory.targets())
        if (target.state == MemoryOutput::State::Blocked)
            blocked.insert(target.nativePath);
    for (const RecordingOutput::Outcome& outcome : recording.outcomes()) {
        const TargetState state =
            outcome.state == TargetState::Refused && blocked.contains(outcome.nativePath)
                ? TargetState::Blocked
                : outcome.state;
        out << targetStateLabel(state) << ' ' << outcome.nativePath << '\n';
        if (diff && outcome.before && outcome.after && *outcome.before != *outcome.after) {
            const std::optional<std::string> text = unifiedDiff(
                *outcome.before, *outcome.after, outcome.nativePath, outcome.nativePath);
            out << text.value_or("(no diff: the comparing library could not be loaded)\n");
        }
    }
    for (const std::string& key : recording.noLongerGenerated())
        out << targetStateLabel(TargetState::NoLongerGenerated) << ' ' << key << '\n';
}

// The run into memory: the targets with what each would become, then the run's messages, and
// the status the run would end with.
int previewRun(const CommandLine& command, std::ostream& out, std::ostream& err) {
    MemoryOutput memory;
    memory.checkWithDisk(true);
    std::ostringstream listing;
    std::ostringstream messages;
    const int status = runProject(command, listing, messages, memory, true, &out);
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
    return runProject(command, out, err, output, false, nullptr);
}

namespace {

int runProject(const CommandLine& command, std::ostream& out, std::ostream& err,
               ProjectOutput& output, bool preview, std::ostream* previewListing) {
    ProjectState project;
    StreamSink sink(err, command.verbose);
    ReadConfiguration configuration =
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

    RecordSession session(project, output);
    // Two runs into one project would mix their files: the second one stops at once.
    std::optional<ProjectLock> lock;
    if (output.keepsRecord()) {
        lock = ProjectLock::take(session.projectFolder());
        if (!lock) {
            err << CLI_PROGRAM_NAME << ": another run is writing " << session.projectFolder()
                << "; nothing was written, try again when it has ended\n";
            return EXIT_RUN_ERROR;
        }
    }
    const RecordState previous = session.readPrevious();
    if (previous == RecordState::Damaged)
        err << CLI_PROGRAM_NAME << ": the record " << session.recordFolder() << " is damaged ("
            << session.why() << "); files it does not prove to be this program's are kept\n";
    else if (previous == RecordState::Foreign)
        err << CLI_PROGRAM_NAME << ": " << session.recordFolder()
            << " is no record of this program (" << session.why()
            << "); it was left alone and no record is kept\n";
    const bool keepRecord = (output.keepsRecord() || preview) && !command.noRecord &&
                            project.keepsRecord() && session.mayRecord();
    if (keepRecord && lock)
        session.noteTemporaries();
    RecordingOutput& recording = session.output();
    recording.setPolicy(command.overwriteEdited ? RecordingOutput::Policy::Overwrite
                                                : RecordingOutput::Policy::Automatic);
    recording.keepTexts(preview && command.diff);
    Generator generator(project, sink, recording);
    if (!configuration.path.empty())
        session.noteConfiguration(configuration.path, std::move(configuration.bytes));
    generator.script().setInputReader(session.inputReader());
    if (!preview)
        // Listed without a flush per line; tied to out, err flushes the list before each
        // message, so the two streams still read in the order things happened.
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
    const bool ended = commitAndGenerate(project, -1, generator);
    recording.setRanWhole(ended && !sink.errorReported());
    err.tie(previousTie);
    out.flush();
    if (preview && previewListing)
        listPreview(recording, dynamic_cast<MemoryOutput&>(output), command.diff, *previewListing);
    const bool keptForMerge = reportRegeneration(recording, sink, err);
    if (lock)
        session.removeLeftovers();
    bool recordFailed = false;
    if (!preview && !sink.errorReported() && keepRecord && output.keepsRecord() &&
        !session.writeRecord(project)) {
        err << CLI_PROGRAM_NAME << ": cannot write the record: " << session.why() << '\n';
        recordFailed = true;
    }
    if (command.summary)
        err << CLI_PROGRAM_NAME << ": "
            << summaryLine(generator.script().summary(), sink.errorCount()) << '\n';
    if (sink.errorReported() || recordFailed)
        return EXIT_RUN_ERROR;
    return keptForMerge ? EXIT_KEPT_FOR_MERGE : EXIT_GENERATED;
}

} // namespace

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
