#pragma once

#include "fileutil/MemoryOutput.h"
#include "record/RecordingOutput.h"
#include "run/TemplateUpgrade.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

// The review that Create shows before it writes over files whose bytes would change: every
// target of the run with what would happen to it, a choice for each changed file (unticked:
// the file stays as it is), and the diff of the selected one. No widgets: ReviewDialog shows it.
class ReviewModel {
public:
    using State = MemoryOutput::State;
    struct Entry {
        std::string key;                // relative to the location, "/" separators: as shown
        std::vector<std::string> paths; // every native spelling the run used for it
        bool folder = false;
        State state = State::New;
        std::string oldBytes; // a changed file's bytes on the disk
        std::string newBytes; // and the bytes the run would write instead
        // A file the last run's record lists: what became of it since (merged and conflicting
        // files hold the merge in newBytes, a deleted one the new text).
        std::optional<TargetState> regenerated;
        bool unproven = false;          // no record says this program wrote what is there
        bool noBase = false;            // edited, and no merge can be made: its base is gone
        bool unresolved = false;        // its earlier conflict's file beside still stands
        bool besideYours = false;       // that file holds the user's changes: it stays
        bool noLongerGenerated = false; // the record lists it, this run makes it no more
        bool deletable = false; // no longer generated and still as generated: may be deleted
        bool markable = false;  // a conflict whose merge conflict markers could hold
        // A move: the key of the old file an action's rename carried here, and what came of it
        // ("moved", "moved, merged", "moved, conflict").
        std::string movedFrom;
        std::string moveLabel;
    };

    // The targets of a run recorded in memory, each once, in the order the run first went for
    // them; a target met again takes its last state.
    static std::vector<Entry> entriesOf(const MemoryOutput& preview);
    // The same, with what the run decided for each target and the files it no longer makes.
    static std::vector<Entry> entriesOf(const MemoryOutput& preview,
                                        const RecordingOutput::Outcomes& outcomes,
                                        const std::vector<std::string>& noLongerGenerated);

    explicit ReviewModel(std::vector<Entry> entries);

    const std::vector<Entry>& entries() const { return m_entries; }
    std::size_t size() const { return m_entries.size(); }
    // Some file would be written over with other bytes, or may be deleted: the user must choose.
    bool hasChanges() const { return m_changed > 0 || m_deletable > 0; }

    // Only a changed file, or one the user edited or deleted since the last run, can be ticked;
    // a tick means "write the new one" (the merge, for an edited one). Files still as the last
    // run wrote them and clean merges start ticked, the others unticked. A file no longer
    // generated that still holds what was generated can be ticked too, unticked at first: a
    // tick deletes it.
    bool isCheckable(std::size_t row) const;
    bool isChecked(std::size_t row) const;
    void setChecked(std::size_t row, bool checked);
    void selectAll();
    void selectNone();

    // "Never regenerate": a file the run would change or the record lists can be made the
    // user's; Create then leaves it as it is and records it as theirs (as --detach does).
    bool mayNeverRegenerate(std::size_t row) const;
    bool neverRegenerates(std::size_t row) const;
    void setNeverRegenerate(std::size_t row, bool never);

    // What Create does to the row's target, as the row shows it after its path.
    std::string stateText(std::size_t row) const;
    // Whether diffText shows the row's file against its new text (rather than a sentence).
    bool hasDiff(std::size_t row) const;
    // Whether Create leaves the row's target exactly as it is, with nothing to say about it: a
    // file holding its new bytes already, a folder that exists.
    bool isUnchanged(std::size_t row) const;
    // Lists longer than this are shown with only what changes, at first.
    static constexpr std::size_t LONG_LIST = 40;
    // The hunks of the row's file, the disk's bytes against the new ones ("-" yours, "+" new);
    // a line saying why there is none for a row that is no changed file.
    std::string diffText(std::size_t row) const;
    // What Write will do, in a sentence.
    std::string choiceText() const;

    // The template set's change since the project's last run, shown above the files.
    void setTemplates(TemplateUpgrade templates) { m_templates = std::move(templates); }
    const TemplateUpgrade& templates() const { return m_templates; }
    // "Templates: plugin-templates 2.1.0 -> 2.3.0", "(an older version)" after it when it goes
    // back; empty when the set did not change.
    std::string templatesText() const;
    // The notes of the versions in between, oldest first, as their author wrote them.
    std::string notesText() const;

    // The native paths of the changed files left unticked: the run leaves them as they are.
    std::vector<std::string> keptPaths() const;
    // The same files as the review shows them, for the summary.
    std::vector<std::string> keptKeys() const;
    // For the files the record lists: the bytes to write for a ticked one, none to keep it.
    RecordingOutput::Choices choices() const;
    // The files no longer generated that are ticked for deletion, as the review shows them.
    std::vector<std::string> deletedKeys() const;
    // The files made the user's, as the review shows them.
    std::vector<std::string> detachedKeys() const;

    // A conflict row left unticked keeps the user's lines; where the new text goes is chosen:
    // beside the file (at first), into it between markers, or that and git's index. Offered
    // for rows whose merge markers can hold.
    bool offersConflictStyles(std::size_t row) const;
    ConflictStyle conflictStyle(std::size_t row) const;
    void setConflictStyle(std::size_t row, ConflictStyle style);
    // The rows left unticked with a style other than beside, by key: the run writes their
    // markers (they are neither kept paths nor choices).
    std::map<std::string, ConflictStyle> conflictStyles() const;

private:
    // An unticked conflict row whose style writes markers into the file.
    bool marksConflict(std::size_t row) const;
    // What Write does to the changed files, checked of them ticked.
    std::string writeText(std::size_t checked) const;
    // stateText without where a conflict's new text goes.
    std::string choiceStateText(std::size_t row) const;

    std::vector<Entry> m_entries;
    std::vector<bool> m_checked;
    std::vector<ConflictStyle> m_styles;
    std::vector<bool> m_never; // "Never regenerate", by row
    std::size_t m_changed = 0;
    std::size_t m_deletable = 0;
    TemplateUpgrade m_templates;
};

} // namespace vantrel
