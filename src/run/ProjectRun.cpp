#include "run/ProjectRun.h"

#include "check/TemplateCheck.h"
#include "diff/ConflictStages.h"
#include "diff/TextMerge.h"
#include "engine/CreateProject.h"
#include "engine/Engine.h"
#include "fileutil/DiskOutput.h"
#include "fileutil/FileReplace.h"
#include "fileutil/MemoryOutput.h"
#include "fileutil/ProjectLock.h"
#include "fileutil/TextFile.h"
#include "project/ProjectWriter.h"
#include "record/RecordSession.h"

#include <algorithm>
#include <optional>
#include <set>

namespace vantrel {
namespace {

// Passes every message on and counts those worse than a failed assertion.
class CountingSink : public MessageSink {
public:
    explicit CountingSink(MessageSink& inner)
        : m_inner(inner) {}
    void showMessage(ErrorKind kind, const std::string& message) override {
        count(kind);
        m_inner.showMessage(kind, message);
    }
    void showMessageAt(ErrorKind kind, const std::string& message,
                       const MessagePlace& place) override {
        count(kind);
        m_inner.showMessageAt(kind, message, place);
    }
    std::size_t errors() const { return m_errors; }

private:
    void count(ErrorKind kind) {
        if (kind != ErrorKind::ERR_ASSERT)
            ++m_errors;
    }
    MessageSink& m_inner;
    std::size_t m_errors = 0;
};

void tell(RunResult& result, const RunSettings& settings, RunNote note) {
    if (settings.told)
        settings.told(note);
    result.notes.push_back(std::move(note));
}

// A target whose bytes on the disk are no longer what this program wrote there.
bool edited(TargetState state) {
    return state == TargetState::Kept || state == TargetState::Merged ||
           state == TargetState::Conflict || state == TargetState::DeletedByYou;
}

ConflictStyle styleFor(const RecordingOutput::Outcome& outcome, const RunSettings& settings) {
    const auto chosen = settings.choices.conflictStyles.find(outcome.key);
    return chosen == settings.choices.conflictStyles.end() ? settings.conflictStyle
                                                           : chosen->second;
}

// Why a conflict the style would mark in its file has the new text beside it instead.
std::string unmarkedWhy(const RecordingOutput::Outcome& outcome, const RunSettings& settings) {
    if (styleFor(outcome, settings) == ConflictStyle::Beside ||
        settings.policy != TargetPolicy::Automatic || outcome.unresolved || outcome.marked)
        return {};
    if (outcome.unproven)
        return "no record shows that this program wrote it";
    if (outcome.copy)
        return "a copied file is no text to mark";
    if (outcome.noBase || outcome.mergeUnavailable)
        return "no merge could be made";
    return "the merge's markers could not be found again in it";
}

using Stagings = std::map<std::string, Staging>; // by native path

// Records the marked conflicts of a run in the git index around each file; a preview only
// finds what the run would come to.
Stagings stageConflicts(const RecordingOutput& output, const RunSettings& settings, bool write) {
    Stagings stagings;
    for (const RecordingOutput::Outcome& outcome : output.outcomes())
        if (outcome.marked && styleFor(outcome, settings) == ConflictStyle::Git)
            stagings[outcome.nativePath] =
                stageConflict(outcome.nativePath, outcome.marked->base, outcome.marked->yours,
                              outcome.marked->theirs, write);
    return stagings;
}

// What became of the files the user edited or deleted, of files kept because nothing proves
// this program wrote them, and of those the run no longer makes. A new text that could not be
// written beside its file is an error of the run, reported as any failed write is.
void noteRegeneration(const RecordingOutput& output, const RecordingOutput::Pruning& pruning,
                      const Stagings& stagings, const std::vector<std::string>& movesLeft,
                      MessageSink& sink, const RunSettings& settings, RunResult& result) {
    std::set<std::string> named;
    for (const RecordingOutput::Outcome& outcome : output.outcomes()) {
        switch (outcome.state) {
        case TargetState::Moved:
            if (!outcome.move)
                break;
            if (outcome.move->kept)
                tell(result, settings,
                     {RunNote::Kind::MoveKept, outcome.nativePath, outcome.move->fromPath,
                      outcome.key});
            else
                tell(result, settings,
                     {RunNote::Kind::Moved, outcome.nativePath, outcome.move->fromPath, outcome.key,
                      false, false, std::string(RecordingOutput::moveLabel(outcome))});
            break;
        case TargetState::Merged:
            if (outcome.written)
                tell(result, settings,
                     {RunNote::Kind::Merged, outcome.nativePath, {}, outcome.key});
            break;
        case TargetState::Conflict:
            named.insert(outcome.nativePath);
            if (outcome.besideFailed) {
                reportError(sink, ErrorKind::ERR_OPEN_FILE, outcome.beside);
                break;
            }
            {
                RunNote note{RunNote::Kind::Conflict,
                             outcome.nativePath,
                             outcome.beside,
                             outcome.key,
                             outcome.unproven,
                             outcome.besideYours,
                             {},
                             outcome.noBase,
                             outcome.unresolved};
                note.marked = outcome.marked != nullptr;
                note.markersStand = outcome.markersStand;
                note.unmarkedWhy = unmarkedWhy(outcome, settings);
                if (const auto staging = stagings.find(outcome.nativePath);
                    staging != stagings.end()) {
                    note.staged = staging->second.result == Staging::Result::Staged;
                    note.stagingWhy = staging->second.why;
                }
                tell(result, settings, std::move(note));
            }
            break;
        case TargetState::Kept:
            tell(result, settings, {RunNote::Kind::Kept, outcome.nativePath, {}, outcome.key});
            break;
        case TargetState::DeletedByYou:
            tell(result, settings,
                 {RunNote::Kind::DeletedByYou, outcome.nativePath, {}, outcome.key});
            break;
        case TargetState::Deleted:
            if (outcome.written)
                tell(result, settings,
                     {RunNote::Kind::Deleted, outcome.nativePath, {}, outcome.key});
            break;
        default:
            break;
        }
    }
    std::set<std::string> told(pruning.edited.begin(), pruning.edited.end());
    told.insert(pruning.missing.begin(), pruning.missing.end());
    for (const std::string& key : output.noLongerGenerated())
        if (!told.contains(key))
            tell(result, settings, {RunNote::Kind::NoLongerGenerated, key, {}, key});
    for (const std::string& key : movesLeft)
        tell(result, settings, {RunNote::Kind::MoveLeft, key, {}, key});
    for (const std::string& key : pruning.edited)
        tell(result, settings, {RunNote::Kind::EditedNotDeleted, key, {}, key});
    for (const std::string& key : pruning.failed)
        tell(result, settings, {RunNote::Kind::NotDeleted, key, {}, key});
    // Conflicts of earlier runs stay until the user removes the new text beside the file, or
    // the markers in it.
    for (const std::string& nativePath : output.openConflicts()) {
        result.keptForMerge = true;
        if (!named.contains(nativePath))
            tell(result, settings,
                 {RunNote::Kind::NotResolved, nativePath,
                  nativePath + std::string(RecordingOutput::BESIDE_SUFFIX)});
    }
    for (const std::string& nativePath : output.markedConflicts()) {
        result.keptForMerge = true;
        if (named.insert(nativePath).second) {
            RunNote note{RunNote::Kind::NotResolved, nativePath};
            note.markersStand = true;
            tell(result, settings, std::move(note));
        }
    }
    const auto& outcomes = output.outcomes();
    if (std::any_of(outcomes.begin(), outcomes.end(),
                    [](const auto& outcome) { return outcome.mergeUnavailable; }))
        tell(result, settings,
             {RunNote::Kind::MergeUnavailable, {}, {}, {}, false, false, mergeUnavailable()});
}

// The template set's change since the recorded run, and what cannot be used of its notes.
void noteTemplates(RunResult& result, const RunSettings& settings) {
    const TemplateUpgrade& templates = result.templates;
    if (!templates.changed())
        return;
    const auto fault = [&](std::string why) {
        tell(
            result, settings,
            {RunNote::Kind::NotesFault, templates.notesPath, {}, {}, false, false, std::move(why)});
    };
    tell(result, settings,
         {templates.older() ? RunNote::Kind::TemplatesOlder : RunNote::Kind::TemplatesChanged,
          {},
          {},
          {},
          false,
          false,
          templates.line()});
    if (!templates.notesWhy.empty())
        fault(templates.notesWhy);
    for (const NotesProblem& problem : templates.problems)
        fault("line " + std::to_string(problem.line) + ": " + problem.text);
}

// The run into an output: disk is set when it is the disk itself (then the lock and the record
// are taken and written), view when the output stands over the disk.
RunResult run(ProjectState& project, MessageSink& messages, ProjectOutput& output, DiskOutput* disk,
              DiskView* view, const RunSettings& settings) {
    RunResult result;
    if (settings.strict || project.strictRuns()) {
        TemplateCheck check;
        if (!settings.configuration.path.empty()) {
            ProjectState read;
            check.checkConfiguration(read, settings.configuration.path, true);
        }
        check.checkGeneration(project, "the project's values");
        result.checks = check.found().sorted();
        if (check.found().count(Severity::Error) > 0) {
            result.refusedByChecks = true;
            return result;
        }
    }
    CountingSink sink(messages);
    RecordSession session(project, output, view);
    result.projectFolder = session.projectFolder();
    const bool toDisk = disk != nullptr;
    // Two runs into one project would mix their files: the second one stops at once. A
    // preview writes nothing and takes no lock.
    std::optional<ProjectLock> lock;
    if (toDisk) {
        lock = ProjectLock::take(session.projectFolder());
        if (!lock) {
            result.busy = true;
            return result;
        }
    }
    const RecordState previous = session.readPrevious();
    result.record = previous;
    // Ids are given before the run, from what the project and its record hold: a preview gives
    // the very ids its run would.
    if (std::any_of(project.actions.begin(), project.actions.end(),
                    [](const ActionDefinition& action) { return action.id == 0; })) {
        result.idsGiven = giveActionIds(project, session.recordedAnswers());
        session.answersUpdated();
    }
    result.templates = templateUpgrade(session.recordedTemplates(), project);
    noteTemplates(result, settings);
    if (session.findMoves(result.templates.moves()))
        tell(result, settings, {RunNote::Kind::RenamesUnknown, {}});
    // Said before the run: a record not used entry by entry, or not ours.
    if (previous == RecordState::Damaged || previous == RecordState::Foreign)
        tell(result, settings,
             {previous == RecordState::Damaged ? RunNote::Kind::RecordDamaged
                                               : RunNote::Kind::RecordForeign,
              session.recordFolder(),
              {},
              {},
              false,
              false,
              session.why()});
    const bool keepRecord = settings.keepRecord && project.keepsRecord() && session.mayRecord();
    if (disk) {
        if (keepRecord)
            session.noteTemporaries(*disk);
        disk->keepAsTheyAre(settings.choices.keptPaths);
    }
    RecordingOutput& recording = session.output();
    recording.setPolicy(settings.policy);
    recording.setConflictStyle(settings.conflictStyle);
    recording.setConflictStyles(settings.choices.conflictStyles);
    recording.setChoices(settings.choices.chosen);
    recording.setDetached(
        {settings.choices.detachedKeys.begin(), settings.choices.detachedKeys.end()});
    recording.keepTexts(settings.keepTexts);
    if (!settings.configuration.path.empty())
        session.noteConfiguration(settings.configuration.path, settings.configuration.bytes);
    Engine generator(project, sink, recording);
    generator.script().setKnownText([&recording] { return recording.holdsRunText(); });
    generator.script().setInputReader(session.inputReader());
    if (settings.written)
        generator.setOutputListener(settings.written);
    if (settings.warnings)
        generator.setWarningListener(settings.warnings);
    generator.script().setSectionObserver(settings.observer);
    generator.script().setStopToken(settings.stop);
    result.ended = commitAndRunScript(project, settings.dllComboIndex, generator);
    result.counts = generator.script().summary();
    recording.setRanWhole(result.ended && sink.errors() == 0);
    // Pruned under the lock, before the record that no longer lists what went is written.
    const std::vector<std::string> movesLeft = recording.finishMoves(toDisk);
    const RecordingOutput::Pruning pruning =
        settings.prune ? recording.prune(settings.prune, toDisk) : RecordingOutput::Pruning{};
    const Stagings stagings = stageConflicts(recording, settings, toDisk);
    noteRegeneration(recording, pruning, stagings, movesLeft, sink, settings, result);
    if (lock)
        session.removeLeftovers();
    result.noLongerGenerated = recording.noLongerGenerated();
    result.changedInputs = session.changedInputs();
    result.answersChanged = session.answersChanged();
    for (const Manifest::Input& input : session.inputs())
        result.inputsRead.push_back(input.path);
    if (settings.recordedTexts)
        for (const RecordingOutput::Outcome& outcome : recording.outcomes())
            if (edited(outcome.state) && !outcome.folder) {
                const std::string* text = session.recordedText(outcome.key);
                result.recordedTexts[outcome.key] =
                    text ? std::optional(*text) : std::optional<std::string>();
            }
    result.outcomes = recording.takeOutcomes();
    if (toDisk && keepRecord && sink.errors() == 0 && !session.writeRecord())
        tell(result, settings,
             {RunNote::Kind::RecordNotWritten, {}, {}, {}, false, false, session.why()});
    result.errors = sink.errors();
    // A preview writes no file beside a conflict: its note tells. A move whose edits overlap
    // opens no conflict: its note names the old file, and the next run has nothing to add.
    result.keptForMerge = result.keptForMerge ||
                          std::any_of(result.notes.begin(), result.notes.end(), [](const auto& n) {
                              return n.kind == RunNote::Kind::Conflict;
                          });
    return result;
}

} // namespace

std::string refusalText(const RunResult& result) {
    std::string text = "The checks of the templates found errors; nothing was run:";
    for (const Diagnostic& diagnostic : result.checks)
        text.append("\n").append(formatDiagnostic(diagnostic));
    return text;
}

std::optional<std::string> writeActionIdsInto(const std::string& path,
                                              const ProjectState& project) {
    const std::optional<std::string> text = readFileBytes(path);
    if (!text)
        return std::string("it cannot be read");
    const std::optional<std::string> withIds = withActionIds(*text, project.actions);
    if (!withIds)
        return std::string("its actions are no longer those the run read");
    return replaceFileAtomically(path, *withIds);
}

RunResult runProject(ProjectState& project, MessageSink& sink, DiskOutput& disk,
                     const RunSettings& settings) {
    return run(project, sink, disk, &disk, &disk, settings);
}

RunResult runProject(ProjectState& project, MessageSink& sink, MemoryOutput& memory,
                     const RunSettings& settings) {
    return run(project, sink, memory, nullptr, memory.checksWithDisk() ? &memory : nullptr,
               settings);
}

} // namespace vantrel
