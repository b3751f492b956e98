#include "wizard/CreateCommand.h"

#include "fileutil/DiskOutput.h"
#include "fileutil/FileSystem.h"
#include "fileutil/MemoryOutput.h"

namespace vantrel {
namespace {

class GatheringSink : public MessageSink {
public:
    explicit GatheringSink(std::vector<RunOutcome::Message>& messages)
        : m_messages(messages) {}
    void showMessage(ErrorKind kind, const std::string& message) override {
        m_messages.push_back({kind, message, {}});
        // The message names the path alone; the summary says why it could not be written.
        const std::size_t line = message.find('\n');
        if (kind == ErrorKind::ERR_OPEN_FILE && line != std::string::npos)
            m_messages.back().detail = whyNotWritable(message.substr(line + 1));
    }

private:
    std::vector<RunOutcome::Message>& m_messages;
};

// A note of the run as the summary says it.
std::string noteText(const RunNote& note) {
    switch (note.kind) {
    case RunNote::Kind::RecordDamaged:
        return "The record " + note.path + " is damaged (" + note.why +
               "); files it does not prove to be this program's were kept.";
    case RunNote::Kind::RecordForeign:
        return note.path + " is no record of this program (" + note.why +
               "); it was left alone and no record was kept.";
    case RunNote::Kind::Merged:
        return "Your edits of " + note.key + " were merged with the new text.";
    case RunNote::Kind::Conflict:
        if (note.markersStand)
            return note.key + " still holds the conflict markers of an earlier run: nothing was "
                              "merged into it. Remove them once the conflict is resolved.";
        if (note.marked)
            return note.key +
                   ": your edits and the new text overlap; both are in it between "
                   "conflict markers" +
                   (note.staged ? ", and git's index holds its three stages."
                    : note.stagingWhy.empty()
                        ? std::string(".")
                        : " (not recorded in git's index: " + note.stagingWhy + ").");
        return note.key + " was kept as it is" +
               (note.besideYours ? "; " + note.beside + " holds your changes and was left."
                                 : "; the new text is in " + note.beside + ".");
    case RunNote::Kind::Kept:
        return note.key + " was edited by you and its generated text did not change: it was kept.";
    case RunNote::Kind::DeletedByYou:
        return {}; // chosen in the review, and shown there
    case RunNote::Kind::NoLongerGenerated:
        return note.key + " is no longer generated; it was left as it is.";
    case RunNote::Kind::Deleted:
        return note.key + " was no longer generated and was deleted.";
    case RunNote::Kind::EditedNotDeleted:
        return note.key + " is no longer generated; you edited it, so it was kept.";
    case RunNote::Kind::NotDeleted:
        return note.key + " is no longer generated but could not be deleted.";
    case RunNote::Kind::NotResolved:
        if (note.markersStand)
            return note.path + " is not resolved yet: remove its conflict markers once it is.";
        return note.path + " is not resolved yet: remove " + note.beside + " once it is.";
    case RunNote::Kind::Moved:
        return note.beside + " -> " + note.path + " (" + note.why + ")";
    case RunNote::Kind::MoveKept:
        return note.beside + " -> " + note.path +
               " (moved, conflict): your edits and the new "
               "text overlap, so " +
               note.beside + " was kept.";
    case RunNote::Kind::MoveLeft:
        return note.key + " was moved, but the old file could not be removed.";
    case RunNote::Kind::RenamesUnknown:
        return "The record names no action ids: a renamed action's files stay where they are "
               "this once.";
    case RunNote::Kind::MergeUnavailable:
        return "The new text could not be merged into files you edited (" + note.why +
               "): they were kept, the new text beside them.";
    case RunNote::Kind::RecordNotWritten:
        return "The record of this run could not be written: " + note.why;
    case RunNote::Kind::TemplatesChanged:
        return "Templates: " + note.why + ".";
    case RunNote::Kind::TemplatesOlder:
        return "Templates: " + note.why +
               ", an older version than the one the project was generated with.";
    case RunNote::Kind::NotesFault:
        return "The template notes " + note.path + " cannot be used whole: " + note.why + ".";
    }
    return {};
}

} // namespace

ReviewModel previewRun(ProjectState& project, std::int32_t dllComboIndex) {
    SilentSink sink;
    MemoryOutput memory;
    memory.checkWithDisk(true);
    RunSettings settings;
    settings.dllComboIndex = dllComboIndex;
    settings.policy = TargetPolicy::Review;
    settings.keepTexts = true;
    // What pruning would delete becomes rows the user may tick.
    settings.prune = [](const std::string&) {
        return true;
    };
    RunResult result = runProject(project, sink, memory, settings);
    ReviewModel review(ReviewModel::entriesOf(memory, result.outcomes, result.noLongerGenerated));
    review.setTemplates(std::move(result.templates));
    return review;
}

RunOutcome diskRun(ProjectState& project, std::int32_t dllComboIndex, const CreateChoices& choices,
                   const ConfigurationBytes& configuration) {
    RunOutcome outcome;
    GatheringSink sink(outcome.messages);
    DiskOutput disk;
    RunSettings settings;
    settings.dllComboIndex = dllComboIndex;
    settings.configuration = configuration;
    settings.choices = choices;
    if (!choices.deletedKeys.empty())
        // The files ticked, and the folders they leave empty.
        settings.prune = [&choices](const std::string& key) {
            return std::any_of(choices.deletedKeys.begin(), choices.deletedKeys.end(),
                               [&key](const std::string& deleted) {
                                   return deleted == key ||
                                          (deleted.starts_with(key) && deleted[key.size()] == '/');
                               });
        };
    const RunResult result = runProject(project, sink, disk, settings);
    if (result.refusedByChecks) {
        outcome.messages.push_back({ErrorKind::ERR_TEMPLATE, refusalText(result)});
        return outcome;
    }
    if (result.busy) {
        outcome.messages.push_back(
            {ErrorKind::ERR_OPEN_FILE, "Another run is writing " + result.projectFolder +
                                           ": nothing was written. Try again when it has ended."});
        return outcome;
    }
    outcome.ended = result.ended;
    outcome.counts = result.counts;
    for (const RunNote& note : result.notes)
        if (std::string text = noteText(note); !text.empty())
            outcome.notes.push_back(std::move(text));
    return outcome;
}

} // namespace vantrel
