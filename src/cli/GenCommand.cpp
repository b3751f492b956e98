#include "cli/GenCommand.h"

#include "cli/CheckRun.h"

#include "cli/ExplainCommand.h"
#include "cli/ImpactCommand.h"
#include "cli/OwnershipCommand.h"
#include "cli/StatusCommand.h"
#include "cli/StreamSink.h"
#include "cli/VerifyCommand.h"
#include "config/Configuration.h"
#include "model/NameChecks.h"
#include "project/ProjectFile.h"
#include "run/PreviewListing.h"
#include "run/ProjectRun.h"
#include "run/StartConfiguration.h"

#include <algorithm>
#include <optional>
#include <sstream>
#include <variant>

namespace vantrel {
namespace {

// Where a run goes: the disk, or a tree in memory (a preview when it checks with the disk).
using RunInto = std::variant<DiskOutput*, MemoryOutput*>;

// previewListing: where a preview lists its targets; none for a run.
int runProject(const CommandLine& command, std::ostream& out, std::ostream& err, RunInto into,
               std::ostream* previewListing);

} // namespace

ConfigurationBytes readFoundConfiguration(ProjectState& project, MessageSink& sink,
                                          const std::string& option, std::ostream& err) {
    ConfigurationBytes read;
    const FoundConfiguration found = readStartConfiguration(option, project, sink, read);
    if (!found.found) {
        err << CLI_PROGRAM_NAME << ": no configuration found, running on built-in defaults";
        const char* separator = " (looked for ";
        for (const std::string& place : found.looked) {
            err << separator << place;
            separator = ", ";
        }
        err << ")\n";
    } else if (!found.read) {
        err << CLI_PROGRAM_NAME << ": cannot read the configuration " << found.path
            << ", running on built-in defaults\n";
    }
    return read;
}

std::optional<ConfigurationBytes> loadProjectFile(const std::string& path,
                                                  const std::string& option, ProjectState& project,
                                                  MessageSink& sink, std::ostream& err) {
    ConfigurationBytes configuration = readFoundConfiguration(project, sink, option, err);
    project.setDefaultDllFlags();
    if (const std::optional<ProjectFileError> error = ProjectFile(path).load(project)) {
        err << error->message << '\n';
        return std::nullopt;
    }
    if (!validateProject(project, sink))
        return std::nullopt;
    return configuration;
}

void printNote(const RunNote& note, std::ostream& err) {
    err << CLI_PROGRAM_NAME << ": ";
    switch (note.kind) {
    case RunNote::Kind::RecordDamaged:
        err << "the record " << note.path << " is damaged (" << note.why
            << "); files it does not prove to be this program's are kept";
        break;
    case RunNote::Kind::RecordForeign:
        err << note.path << " is no record of this program (" << note.why
            << "); it was left alone and no record is kept";
        break;
    case RunNote::Kind::Merged:
        err << "merged the new text into your edits of " << note.path;
        break;
    case RunNote::Kind::Conflict:
        if (note.markersStand) {
            err << "not merged into " << note.path
                << ": it still holds the conflict markers of an earlier run; remove them once "
                   "the conflict is resolved";
            break;
        }
        err << "kept " << note.path
            << (note.unresolved ? ": its conflict is not resolved yet"
                : note.unproven ? ": it was there already and no record shows that this program "
                                  "wrote it"
                : note.noBase   ? ": you edited it, and the text it was generated from cannot be "
                                  "made again to merge into"
                                : ": your edits and the new text overlap");
        if (note.marked) {
            err << "; both are in it between conflict markers (yours, base, new)";
            if (note.staged)
                err << ", and its three stages are in git's index";
            else if (!note.stagingWhy.empty())
                err << "; not recorded in git's index (" << note.stagingWhy
                    << "): the markers alone";
            break;
        }
        if (!note.unmarkedWhy.empty())
            err << "; no conflict markers (" << note.unmarkedWhy << ")";
        if (note.besideYours)
            err << "; " << note.beside << " holds your changes and was left as it is";
        else
            err << "; the new text is in " << note.beside;
        break;
    case RunNote::Kind::Kept:
        err << "kept " << note.path << ": edited by you, and its generated text did not change";
        break;
    case RunNote::Kind::DeletedByYou:
        err << "not written again: " << note.path << " (deleted by you)";
        break;
    case RunNote::Kind::NoLongerGenerated:
        err << "no longer generated, left as it is: " << note.path;
        break;
    case RunNote::Kind::Deleted:
        err << "deleted, no longer generated: " << note.path;
        break;
    case RunNote::Kind::EditedNotDeleted:
        err << "no longer generated, kept: " << note.path << " (you edited it)";
        break;
    case RunNote::Kind::NotDeleted:
        err << "cannot delete " << note.path << ", no longer generated";
        break;
    case RunNote::Kind::NotResolved:
        if (note.markersStand)
            err << "not resolved yet: " << note.path
                << " (it still holds conflict markers; remove them once it is)";
        else
            err << "not resolved yet: " << note.path << " (remove " << note.beside
                << " once it is)";
        break;
    case RunNote::Kind::Moved:
        err << note.beside << " -> " << note.path << " (" << note.why << ")";
        break;
    case RunNote::Kind::MoveKept:
        err << note.beside << " -> " << note.path << " (moved, conflict): your edits of "
            << note.beside << " and the new text overlap; it was kept, " << note.path
            << " written as generated";
        break;
    case RunNote::Kind::MoveLeft:
        err << "moved, but the old file was not removed: " << note.path
            << " (it changed meanwhile, or the system did not let it go)";
        break;
    case RunNote::Kind::RenamesUnknown:
        err << "the record names no action ids: a renamed action's files stay where they are "
               "this once (the actions now have ids)";
        break;
    case RunNote::Kind::MergeUnavailable:
        err << "cannot merge the new text into files you edited (" << note.why
            << "); they were kept, the new text beside them";
        break;
    case RunNote::Kind::RecordNotWritten:
        err << "cannot write the record: " << note.why;
        break;
    case RunNote::Kind::TemplatesChanged:
        err << "templates " << note.why;
        break;
    case RunNote::Kind::TemplatesOlder:
        err << "warning: templates " << note.why
            << ": an older version than the one the project was generated with";
        break;
    case RunNote::Kind::NotesFault:
        err << "warning: the template notes " << note.path << ", " << note.why;
        break;
    }
    err << '\n';
}

namespace {

// The run's listing of a preview: every target with what the run does to it, in the order the
// run went for them, then the files no longer generated.
void listPreview(const RunResult& result, const MemoryOutput& memory, bool diff,
                 std::ostream& out) {
    for (const ListedTarget& target : listedTargets(result, memory)) {
        out << listingLine(target) << '\n';
        const auto* texts = target.outcome ? target.outcome->texts.get() : nullptr;
        if (diff && texts)
            out << listingDiff(target.path, texts->before, texts->after).value_or("");
    }
}

// Writes the ids the run gave into the project file; one that cannot take them is left as it
// was, and the next run gives the same ids again.
void writeActionIds(const std::string& path, const ProjectState& project, std::ostream& err) {
    if (const std::optional<std::string> failure = writeActionIdsInto(path, project))
        err << CLI_PROGRAM_NAME << ": warning: the actions' ids could not be written into " << path
            << " (" << *failure << ")\n";
}

// The run into memory: the targets with what each would become, then the run's messages, and
// the status the run would end with.
int previewRun(const CommandLine& command, std::ostream& out, std::ostream& err) {
    MemoryOutput memory;
    memory.checkWithDisk(true);
    memory.keepDetails(false); // the listing and its diffs come from the run's outcomes
    std::ostringstream listing;
    std::ostringstream messages;
    const int status = runProject(command, listing, messages, &memory, &out);
    out.flush();
    err << messages.str();
    return status;
}

int runProject(const CommandLine& command, std::ostream& out, std::ostream& err, RunInto into,
               std::ostream* previewListing) {
    const bool preview = previewListing != nullptr;
    ProjectState project;
    StreamSink sink(err, command.verbose);
    std::optional<ConfigurationBytes> configuration =
        loadProjectFile(command.projectPath, command.configPath, project, sink, err);
    if (!configuration)
        return EXIT_BAD_INPUT;
    if (command.warnings)
        for (const std::string& warning : projectWarnings(project, project.nameText))
            err << CLI_PROGRAM_NAME << ": warning: " << warning << '\n';

    RunSettings settings;
    settings.configuration = std::move(*configuration);
    settings.keepRecord = !command.noRecord;
    settings.policy = command.overwriteEdited ? TargetPolicy::Overwrite : TargetPolicy::Automatic;
    settings.conflictStyle = command.conflictStyle;
    settings.keepTexts = preview && command.diff;
    settings.strict = command.strict;
    if (command.prune)
        settings.prune = [](const std::string&) {
            return true;
        };
    settings.told = [&err](const RunNote& note) {
        printNote(note, err);
    };
    if (!preview)
        // Listed without a flush per line; tied to out, err flushes the list before each
        // message, so the two streams still read in the order things happened.
        settings.written = [&out](const std::string& nativePath) {
            out << nativePath << '\n';
        };
    if (command.warnings)
        settings.warnings = [&err, &command](const std::string& warning,
                                             const MessagePlace& place) {
            err << CLI_PROGRAM_NAME << ": warning: " << warning << '\n';
            if (command.verbose && place.known())
                err << placeText(place) << '\n';
        };
    std::ostream* const previousTie = err.tie(&out);
    const RunResult result = std::visit(
        [&](auto* output) { return vantrel::runProject(project, sink, *output, settings); }, into);
    err.tie(previousTie);
    out.flush();
    if (result.refusedByChecks) {
        for (const Diagnostic& diagnostic : result.checks)
            err << formatDiagnostic(diagnostic) << '\n';
        err << CLI_PROGRAM_NAME << ": the checks found errors; nothing was run\n";
        return EXIT_RUN_ERROR;
    }
    if (command.warnings)
        for (const Diagnostic& diagnostic : result.checks)
            err << formatDiagnostic(diagnostic) << '\n';
    if (result.busy) {
        err << CLI_PROGRAM_NAME << ": another run is writing " << result.projectFolder
            << "; nothing was written, try again when it has ended\n";
        return EXIT_RUN_ERROR;
    }
    // A run into memory writes nothing on the disk, the project file included.
    if (std::holds_alternative<DiskOutput*>(into) && result.idsGiven > 0)
        writeActionIds(command.projectPath, project, err);
    if (preview)
        listPreview(result, *std::get<MemoryOutput*>(into), command.diff, *previewListing);
    if (command.summary)
        err << CLI_PROGRAM_NAME << ": " << summaryLine(result.counts, result.errors) << '\n';
    const bool recordFailed =
        std::any_of(result.notes.begin(), result.notes.end(), [](const RunNote& note) {
            return note.kind == RunNote::Kind::RecordNotWritten ||
                   note.kind == RunNote::Kind::NotDeleted;
        });
    if (result.errors > 0 || recordFailed)
        return EXIT_RUN_ERROR;
    return result.keptForMerge ? EXIT_KEPT_FOR_MERGE : EXIT_GENERATED;
}

int runCommand(std::span<const std::string_view> arguments, std::ostream& out, std::ostream& err,
               RunInto into) {
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
    case CommandLine::Mode::Status:
        return runStatus(command, out, err);
    case CommandLine::Mode::Detach:
    case CommandLine::Mode::Attach:
        return runOwnership(command, out, err);
    case CommandLine::Mode::Verify:
        return runVerify(command, out, err);
    case CommandLine::Mode::Explain:
        return runExplain(command, out, err);
    case CommandLine::Mode::Impact:
        return runImpact(command, out, err);
    case CommandLine::Mode::Generate:
        break;
    }
    if (command.dryRun)
        return previewRun(command, out, err);
    return runProject(command, out, err, into, nullptr);
}

} // namespace

std::string summaryLine(const RunSummary& summary, std::size_t errors) {
    return "folders created: " + std::to_string(summary.foldersCreated) +
           ", files written: " + std::to_string(summary.filesWritten) +
           ", copied: " + std::to_string(summary.filesCopied) +
           ", unchanged: " + std::to_string(summary.unchanged) +
           ", kept: " + std::to_string(summary.kept) + ", errors: " + std::to_string(errors);
}

int runVantrelGen(std::span<const std::string_view> arguments, std::ostream& out,
                  std::ostream& err) {
    DiskOutput disk;
    return runCommand(arguments, out, err, &disk);
}

int runVantrelGen(std::span<const std::string_view> arguments, std::ostream& out, std::ostream& err,
                  MemoryOutput& memory) {
    return runCommand(arguments, out, err, &memory);
}

} // namespace vantrel
