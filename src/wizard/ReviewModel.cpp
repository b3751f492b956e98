#include "wizard/ReviewModel.h"

#include "diff/TextDiff.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <utility>

namespace vantrel {
std::vector<ReviewModel::Entry> ReviewModel::entriesOf(const MemoryOutput& preview) {
    std::vector<Entry> entries;
    std::map<std::string, std::size_t, std::less<>> rows;
    for (const MemoryOutput::Target& target : preview.targets()) {
        const auto [at, added] = rows.try_emplace(target.key, entries.size());
        if (added) {
            entries.emplace_back();
            entries.back().key = target.key;
        }
        Entry& entry = entries[at->second];
        if (std::find(entry.paths.begin(), entry.paths.end(), target.nativePath) ==
            entry.paths.end())
            entry.paths.push_back(target.nativePath);
        entry.folder = target.folder;
        entry.state = target.state;
        entry.oldBytes.clear();
        entry.newBytes.clear();
        if (target.state == State::Changed && target.oldBytes) {
            entry.oldBytes = *target.oldBytes;
            if (const auto found = preview.tree().find(target.key); found != preview.tree().end())
                entry.newBytes = found->second.bytes;
        }
    }
    return entries;
}

std::vector<ReviewModel::Entry>
ReviewModel::entriesOf(const MemoryOutput& preview, const RecordingOutput::Outcomes& outcomes,
                       const std::vector<std::string>& noLongerGenerated) {
    std::vector<Entry> entries = entriesOf(preview);
    std::map<std::string, std::size_t, std::less<>> rows;
    for (std::size_t row = 0; row < entries.size(); ++row)
        rows.emplace(entries[row].key, row);
    for (const RecordingOutput::Outcome& outcome : outcomes) {
        const auto row = rows.find(outcome.key);
        if (outcome.state == TargetState::Deleted) {
            // A folder goes with what is in it: only files are chosen.
            if (!outcome.folder) {
                Entry& deleted = entries.emplace_back();
                deleted.key = outcome.key;
                deleted.paths = {outcome.nativePath};
                deleted.state = State::Same;
                deleted.noLongerGenerated = true;
                deleted.deletable = true;
            }
            continue;
        }
        if (row == rows.end() && outcome.state == TargetState::Refused) {
            // The tree in memory keeps no target it refused; the run names it.
            Entry& refused = entries.emplace_back();
            refused.key = outcome.key;
            refused.paths = {outcome.nativePath};
            refused.folder = outcome.folder;
            refused.state = State::Blocked;
            refused.regenerated = TargetState::Refused;
            rows.emplace(outcome.key, entries.size() - 1);
            continue;
        }
        if (row == rows.end() && outcome.state == TargetState::Yours) {
            // The run leaves the user's file unopened: the tree in memory has no target.
            Entry& yours = entries.emplace_back();
            yours.key = outcome.key;
            yours.paths = {outcome.nativePath};
            yours.state = State::Same;
            yours.regenerated = TargetState::Yours;
            rows.emplace(outcome.key, entries.size() - 1);
            continue;
        }
        if (row == rows.end())
            continue;
        Entry& entry = entries[row->second];
        if (outcome.state == TargetState::Moved && outcome.move) {
            entry.regenerated = TargetState::Moved;
            entry.movedFrom = outcome.move->from;
            entry.moveLabel = RecordingOutput::moveLabel(outcome);
            continue;
        }
        if (outcome.state != TargetState::Replaced && outcome.state != TargetState::Merged &&
            outcome.state != TargetState::Conflict && outcome.state != TargetState::Kept &&
            outcome.state != TargetState::DeletedByYou)
            continue;
        entry.regenerated = outcome.state;
        entry.unproven = outcome.unproven;
        entry.besideYours = outcome.besideYours;
        entry.noBase = outcome.noBase;
        entry.unresolved = outcome.unresolved;
        entry.markable = outcome.markable;
        if (const auto found = preview.tree().find(entry.key); found != preview.tree().end())
            entry.newBytes = found->second.bytes;
    }
    for (const std::string& key : noLongerGenerated) {
        Entry& entry = entries.emplace_back();
        entry.key = key;
        entry.state = State::Same;
        entry.noLongerGenerated = true;
    }
    return entries;
}

namespace {

std::string fileName(const std::string& key) {
    return key.substr(key.rfind('/') + 1);
}

// The files whose fate the user chooses: changed ones, and those edited or deleted since the
// last run whose new text would change them.
bool choosable(const ReviewModel::Entry& entry) {
    if (entry.deletable)
        return true;
    if (entry.folder || entry.noLongerGenerated)
        return false;
    if (entry.regenerated == TargetState::DeletedByYou)
        return true;
    return entry.state == ReviewModel::State::Changed;
}

bool tickedAtFirst(const ReviewModel::Entry& entry) {
    return !entry.deletable && entry.state == ReviewModel::State::Changed &&
           (entry.regenerated == TargetState::Replaced || entry.regenerated == TargetState::Merged);
}

} // namespace

ReviewModel::ReviewModel(std::vector<Entry> entries)
    : m_entries(std::move(entries))
    , m_checked(m_entries.size(), false)
    , m_styles(m_entries.size(), ConflictStyle::Beside)
    , m_never(m_entries.size(), false) {
    m_deletable = static_cast<std::size_t>(std::count_if(
        m_entries.begin(), m_entries.end(), [](const Entry& entry) { return entry.deletable; }));
    m_changed =
        static_cast<std::size_t>(std::count_if(m_entries.begin(), m_entries.end(), choosable)) -
        m_deletable;
    for (std::size_t row = 0; row < m_entries.size(); ++row)
        m_checked[row] = choosable(m_entries[row]) && tickedAtFirst(m_entries[row]);
}

bool ReviewModel::isCheckable(std::size_t row) const {
    return row < m_entries.size() && choosable(m_entries[row]) && !m_never[row];
}

bool ReviewModel::mayNeverRegenerate(std::size_t row) const {
    if (row >= m_entries.size())
        return false;
    const Entry& entry = m_entries[row];
    // A file there, or one the record lists: something to keep as the user's.
    return !entry.folder && !entry.noLongerGenerated && !entry.deletable &&
           entry.regenerated != TargetState::Yours && entry.regenerated != TargetState::Refused &&
           (entry.state == State::Changed || entry.regenerated.has_value());
}

bool ReviewModel::neverRegenerates(std::size_t row) const {
    return mayNeverRegenerate(row) && m_never[row];
}

void ReviewModel::setNeverRegenerate(std::size_t row, bool never) {
    if (mayNeverRegenerate(row))
        m_never[row] = never;
}

bool ReviewModel::isChecked(std::size_t row) const {
    return isCheckable(row) && m_checked[row];
}

void ReviewModel::setChecked(std::size_t row, bool checked) {
    if (isCheckable(row))
        m_checked[row] = checked;
}

void ReviewModel::selectAll() {
    for (std::size_t row = 0; row < m_entries.size(); ++row)
        setChecked(row, true);
}

void ReviewModel::selectNone() {
    for (std::size_t row = 0; row < m_entries.size(); ++row)
        setChecked(row, false);
}

std::string ReviewModel::stateText(std::size_t row) const {
    if (row >= m_entries.size())
        return {};
    const Entry& entry = m_entries[row];
    std::string text = choiceStateText(row);
    // Kept with a conflict: where its new text goes, or why it goes nowhere.
    if (entry.regenerated == TargetState::Conflict && !m_checked[row] && !m_never[row] &&
        m_styles[row] != ConflictStyle::Beside) {
        text += m_styles[row] == ConflictStyle::Git
                    ? "; the new text goes into it between conflict markers, and into git's index"
                    : "; the new text goes into it between conflict markers";
    } else if (entry.regenerated == TargetState::Conflict && !m_checked[row] && !m_never[row]) {
        const std::string beside = std::filesystem::path(entry.key).filename().string() +
                                   std::string(RecordingOutput::BESIDE_SUFFIX);
        text += entry.besideYours ? "; " + beside + " holds your changes and stays"
                                  : "; the new text goes beside it as " + beside;
    }
    return text;
}

bool ReviewModel::isUnchanged(std::size_t row) const {
    const Entry& entry = m_entries[row];
    return entry.state == State::Same && !entry.regenerated && !entry.noLongerGenerated;
}

bool ReviewModel::hasDiff(std::size_t row) const {
    return isCheckable(row) && m_entries[row].regenerated != TargetState::DeletedByYou &&
           !m_entries[row].deletable;
}

std::string ReviewModel::choiceStateText(std::size_t row) const {
    const Entry& entry = m_entries[row];
    if (m_never[row])
        return "never regenerate: kept as it is, yours from now on";
    if (entry.deletable && m_checked[row])
        return "no longer generated: deleted";
    if (entry.noLongerGenerated)
        return "no longer generated: left as it is";
    if (entry.regenerated) {
        switch (*entry.regenerated) {
        case TargetState::Refused:
            return "refused: it cannot be written here";
        case TargetState::New:
        case TargetState::Same:
        case TargetState::Replaced:
        case TargetState::NoLongerGenerated:
        case TargetState::Deleted:
        case TargetState::Blocked:
            break;
        case TargetState::Merged:
            return m_checked[row] ? "edited by you: the new text merged in"
                                  : "edited by you: yours is kept";
        case TargetState::Conflict:
            if (entry.unresolved)
                return m_checked[row] ? "conflict not resolved yet: the new text replaces it"
                                      : "conflict not resolved yet: yours is kept";
            if (entry.unproven)
                break; // a changed file as any other: the user's until ticked
            if (entry.noBase)
                return m_checked[row] ? "edited by you, cannot be merged: the new text replaces it"
                                      : "edited by you, cannot be merged: yours is kept";
            return m_checked[row] ? "edited by you, overlapping: written with conflict markers"
                                  : "edited by you, overlapping: yours is kept";
        case TargetState::Kept:
            return "edited by you, its generated text unchanged: kept";
        case TargetState::Moved:
            return fileName(entry.movedFrom) + " -> " + fileName(entry.key) + " (" +
                   entry.moveLabel + ")";
        case TargetState::DeletedByYou:
            return m_checked[row] ? "deleted by you: written again"
                                  : "deleted by you: stays deleted";
        case TargetState::Yours:
            return "kept (yours): never regenerated";
        }
    }
    switch (entry.state) {
    case State::New:
        return entry.folder ? "new folder" : "new";
    case State::Same:
        return entry.folder ? "folder exists" : "unchanged (nothing to write)";
    case State::Changed:
        if (entry.regenerated == TargetState::Replaced)
            return m_checked[row] ? "as generated last time: updated"
                                  : "as generated last time: kept as it is";
        return m_checked[row] ? "changed: replaced by the new one" : "changed: yours is kept";
    case State::Blocked:
        return entry.folder ? "blocked: a file stands in the folder's place"
                            : "blocked: a folder stands in the file's place";
    }
    return {};
}

std::string ReviewModel::diffText(std::size_t row) const {
    if (row >= m_entries.size())
        return {};
    const Entry& entry = m_entries[row];
    if (entry.deletable)
        return "The last run wrote this file; this one does not, and it holds what was "
               "generated. Tick it to delete it.";
    if (entry.noLongerGenerated)
        return "The last run wrote this file; this one does not. It stays as it is.";
    if (entry.regenerated == TargetState::DeletedByYou)
        return "You deleted this file since the last run. Tick it to have it written again.";
    if (entry.regenerated == TargetState::Kept)
        return "You edited this file, and its generated text did not change: it stays yours.";
    if (entry.regenerated == TargetState::Moved)
        return entry.moveLabel == "moved, conflict"
                   ? "Its action was renamed. Your edits of " + entry.movedFrom +
                         " overlap the new text: that file is kept, this one written as generated."
                   : "Its action was renamed: " + entry.movedFrom +
                         " moves here, with your edits, and is removed.";
    if (entry.regenerated == TargetState::Refused)
        return "This file lies outside the location or cannot be written there: Create reports "
               "it as an error.";
    if (entry.regenerated == TargetState::Yours)
        return "This file is yours: no run writes or merges it (vantrel-gen --attach gives it "
               "back).";
    if (m_never[row])
        return "Create leaves this file as it is and records it as yours: no run writes or "
               "merges it again (vantrel-gen --attach gives it back).";
    switch (entry.state) {
    case State::New:
        return entry.folder ? "A new folder." : "A new file: nothing of yours is replaced.";
    case State::Same:
        return entry.folder ? "The folder exists already."
                            : "Your file holds these very bytes already: nothing is written.";
    case State::Blocked:
        return "The run cannot write here and stops with an error.";
    case State::Changed:
        break;
    }
    const std::optional<std::string> diff =
        unifiedDiff(entry.oldBytes, entry.newBytes, entry.key, entry.key);
    if (!diff)
        return "No diff: the library that compares texts could not be loaded.";
    // The header names the file twice; the review names it already.
    const std::size_t hunks = diff->starts_with("@@") ? 0 : diff->find("\n@@");
    return hunks == std::string::npos ? *diff : diff->substr(hunks == 0 ? 0 : hunks + 1);
}

std::string ReviewModel::choiceText() const {
    std::size_t checked = 0;
    std::size_t deleted = 0;
    for (std::size_t row = 0; row < m_entries.size(); ++row)
        if (isChecked(row))
            ++(m_entries[row].deletable ? deleted : checked);
    const std::string deletes =
        deleted == 0   ? std::string()
        : deleted == 1 ? std::string(" It deletes 1 file no longer generated.")
                       : " It deletes " + std::to_string(deleted) + " files no longer generated.";
    return writeText(checked) + deletes;
}

std::string ReviewModel::writeText(std::size_t checked) const {
    if (m_changed == 0)
        return "Write writes only what is new.";
    if (m_changed == 1)
        return checked == 1 ? "Write replaces the changed file."
                            : "Write keeps the changed file as it is and writes only what is new.";
    const std::string all = std::to_string(m_changed) + " changed files";
    if (checked == m_changed)
        return "Write replaces all " + all + ".";
    if (checked == 0)
        return "Write keeps all " + all + " as they are and writes only what is new.";
    const std::size_t others = m_changed - checked;
    return "Write replaces " + std::to_string(checked) + " of the " + all + " and keeps " +
           (others == 1 ? std::string("the other one as it is.")
                        : "the other " + std::to_string(others) + " as they are.");
}

bool ReviewModel::offersConflictStyles(std::size_t row) const {
    return isCheckable(row) && m_entries[row].regenerated == TargetState::Conflict &&
           m_entries[row].markable && !m_entries[row].unresolved;
}

ConflictStyle ReviewModel::conflictStyle(std::size_t row) const {
    return offersConflictStyles(row) ? m_styles[row] : ConflictStyle::Beside;
}

void ReviewModel::setConflictStyle(std::size_t row, ConflictStyle style) {
    if (offersConflictStyles(row))
        m_styles[row] = style;
}

bool ReviewModel::marksConflict(std::size_t row) const {
    return !m_checked[row] && conflictStyle(row) != ConflictStyle::Beside;
}

std::map<std::string, ConflictStyle> ReviewModel::conflictStyles() const {
    std::map<std::string, ConflictStyle> styles;
    for (std::size_t row = 0; row < m_entries.size(); ++row)
        if (marksConflict(row))
            styles[m_entries[row].key] = m_styles[row];
    return styles;
}

std::vector<std::string> ReviewModel::keptPaths() const {
    std::vector<std::string> paths;
    for (std::size_t row = 0; row < m_entries.size(); ++row)
        if ((isCheckable(row) && !m_entries[row].deletable && !m_checked[row] &&
             !marksConflict(row)) ||
            neverRegenerates(row))
            paths.insert(paths.end(), m_entries[row].paths.begin(), m_entries[row].paths.end());
    return paths;
}

RecordingOutput::Choices ReviewModel::choices() const {
    RecordingOutput::Choices chosen;
    for (std::size_t row = 0; row < m_entries.size(); ++row) {
        const Entry& entry = m_entries[row];
        if (!isCheckable(row) || !entry.regenerated || entry.deletable || marksConflict(row))
            continue;
        chosen[entry.key] = m_checked[row] ? std::optional(entry.newBytes) : std::nullopt;
    }
    return chosen;
}

std::vector<std::string> ReviewModel::keptKeys() const {
    std::vector<std::string> keys;
    for (std::size_t row = 0; row < m_entries.size(); ++row)
        if ((isCheckable(row) && !m_entries[row].deletable && !m_checked[row] &&
             !marksConflict(row)) ||
            neverRegenerates(row))
            keys.push_back(m_entries[row].key);
    return keys;
}

std::vector<std::string> ReviewModel::detachedKeys() const {
    std::vector<std::string> keys;
    for (std::size_t row = 0; row < m_entries.size(); ++row)
        if (neverRegenerates(row))
            keys.push_back(m_entries[row].key);
    return keys;
}

std::vector<std::string> ReviewModel::deletedKeys() const {
    std::vector<std::string> keys;
    for (std::size_t row = 0; row < m_entries.size(); ++row)
        if (m_entries[row].deletable && m_checked[row])
            keys.push_back(m_entries[row].key);
    return keys;
}

std::string ReviewModel::templatesText() const {
    if (!m_templates.changed())
        return {};
    return "Templates: " + m_templates.described();
}

std::string ReviewModel::notesText() const {
    std::string text;
    for (const VersionNotes& version : m_templates.notes)
        text += (text.empty() ? "" : "\n") + version.text;
    return text;
}

} // namespace vantrel
