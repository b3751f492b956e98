#include "ui/CreateRuns.h"

#include "diff/TextMerge.h"
#include "engine/CreateProject.h"
#include "engine/Generator.h"
#include "fileutil/DiskOutput.h"
#include "fileutil/MemoryOutput.h"
#include "fileutil/ProjectLock.h"
#include "record/RecordSession.h"

#include <algorithm>

namespace vantrel {
namespace {

class GatheringSink : public MessageSink {
public:
    explicit GatheringSink(std::vector<RunOutcome::Message>& messages)
        : m_messages(messages) {}
    void showMessage(ErrorKind kind, const std::string& message) override {
        m_messages.push_back({kind, message});
    }

private:
    std::vector<RunOutcome::Message>& m_messages;
};

// What became of the files the user edited or deleted since the last run, for the summary.
void noteRegeneration(const RecordingOutput& output, std::vector<std::string>& notes) {
    for (const RecordingOutput::Outcome& outcome : output.outcomes()) {
        if (outcome.state == TargetState::Merged && outcome.written)
            notes.push_back("Your edits of " + outcome.key + " were merged with the new text.");
        else if (outcome.state == TargetState::Kept)
            notes.push_back(outcome.key + " was edited by you and its generated text did not "
                                          "change: it was kept.");
        else if (outcome.state == TargetState::Conflict && !outcome.beside.empty())
            notes.push_back(outcome.key + " was kept as it is" +
                            (outcome.besideYours
                                 ? "; " + outcome.beside + " holds your changes and was left."
                                 : "; the new text is in " + outcome.beside + "."));
    }
    const auto& outcomes = output.outcomes();
    if (std::any_of(outcomes.begin(), outcomes.end(),
                    [](const auto& outcome) { return outcome.mergeUnavailable; }))
        notes.push_back("The new text could not be merged into files you edited (" +
                        mergeUnavailable() + "): they were kept, the new text beside them.");
    for (const std::string& key : output.noLongerGenerated())
        notes.push_back(key + " is no longer generated; it was left as it is.");
}

} // namespace

std::vector<ReviewModel::Entry> previewRun(ProjectState& project, std::int32_t dllComboIndex) {
    SilentSink sink;
    MemoryOutput memory;
    memory.checkWithDisk(true);
    RecordSession session(project, memory);
    session.readPrevious();
    session.output().keepTexts(true);
    session.output().setPolicy(RecordingOutput::Policy::Review);
    Generator generator(project, sink, session.output());
    session.output().setRanWhole(commitAndGenerate(project, dllComboIndex, generator));
    return ReviewModel::entriesOf(memory, session.output());
}

RunOutcome diskRun(ProjectState& project, std::int32_t dllComboIndex, const CreateChoices& choices,
                   const ConfigurationBytes& configuration) {
    RunOutcome outcome;
    GatheringSink sink(outcome.messages);
    DiskOutput disk;
    RecordSession session(project, disk);
    const std::optional<ProjectLock> lock = ProjectLock::take(session.projectFolder());
    if (!lock) {
        outcome.messages.push_back(
            {ErrorKind::ERR_OPEN_FILE, "Another run is writing " + session.projectFolder() +
                                           ": nothing was written. Try again when it has ended."});
        return outcome;
    }
    disk.keepAsTheyAre(choices.keptPaths);
    const RecordState previous = session.readPrevious();
    if (previous == RecordState::Damaged)
        outcome.notes.push_back("The record " + session.recordFolder() + " is damaged (" +
                                session.why() +
                                "); files it does not prove to be this program's were kept.");
    else if (previous == RecordState::Foreign)
        outcome.notes.push_back(session.recordFolder() + " is no record of this program (" +
                                session.why() + "); it was left alone and no record was kept.");
    if (project.keepsRecord())
        session.noteTemporaries();
    session.output().setChoices(choices.chosen);
    if (!configuration.path.empty())
        session.noteConfiguration(configuration.path, configuration.bytes);
    Generator generator(project, sink, session.output());
    generator.script().setInputReader(session.inputReader());
    outcome.ended = commitAndGenerate(project, dllComboIndex, generator);
    outcome.counts = generator.script().summary();
    const bool errors =
        std::any_of(outcome.messages.begin(), outcome.messages.end(),
                    [](const RunOutcome::Message& m) { return m.kind != ErrorKind::ERR_ASSERT; });
    session.output().setRanWhole(outcome.ended && !errors);
    noteRegeneration(session.output(), outcome.notes);
    session.removeLeftovers();
    if (outcome.ended && !errors && project.keepsRecord() && !session.writeRecord(project))
        outcome.notes.push_back("The record of this run could not be written: " + session.why());
    return outcome;
}

} // namespace vantrel
