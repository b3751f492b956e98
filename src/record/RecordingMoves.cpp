// Files an action's rename moves: the old file's text, edited or not, carried to the target
// that took the new name, and the old file removed once that went cleanly.
#include "record/RecordingOutput.h"

#include "RecordingLook.h"
#include "diff/ConflictStages.h"
#include "diff/TextMerge.h"
#include "fileutil/TextFile.h"
#include "record/Prune.h"

#include <algorithm>
#include <unordered_set>

namespace vantrel {

using namespace recording;

namespace {

// The text with every old spelling replaced by its new one in one pass, the longest first where
// two start at the same place (one name may begin another).
std::string renamed(std::string_view text, const RecordingOutput::Renames& renames) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::pair<std::string, std::string>* best = nullptr;
        for (const auto& rename : renames)
            if (!rename.first.empty() && text.substr(at).starts_with(rename.first) &&
                (!best || rename.first.size() > best->first.size()))
                best = &rename;
        if (best) {
            out += best->second;
            at += best->first.size();
        } else {
            out += text[at++];
        }
    }
    return out;
}

// The user's file with the lines it shares with the generated base renamed as the base is;
// every other line, the user's own, stays as it is.
std::string renamedWhereGenerated(std::string_view yours, std::string_view base,
                                  const RecordingOutput::Renames& renames) {
    std::unordered_set<std::string_view> generated;
    for (std::size_t at = 0; at < base.size();) {
        const std::size_t end = std::min(base.find('\n', at), base.size());
        generated.insert(base.substr(at, end - at));
        at = end + 1;
    }
    std::string out;
    out.reserve(yours.size());
    for (std::size_t at = 0; at < yours.size();) {
        const std::size_t end = std::min(yours.find('\n', at), yours.size());
        const std::string_view line = yours.substr(at, end - at);
        out += generated.contains(line) ? renamed(line, renames) : std::string(line);
        if (end < yours.size())
            out += '\n';
        at = end + 1;
    }
    return out;
}

} // namespace

bool RecordingOutput::openMove(bool somethingThere) {
    if (!m_path || !m_previous || !m_root || m_policy == Policy::Overwrite)
        return false;
    const auto found = m_moves.find(*m_path);
    if (found == m_moves.end())
        return false;
    const std::string& from = found->second;
    // The run made the old path already, or another target took its file.
    if (m_openedPaths.contains(from) || m_movedAway.contains(from))
        return false;
    // A file the record has at the target, or one of the user's standing there unrecorded, is
    // judged as any other: a move never writes over it. An unrecorded file is looked at only
    // for the bytes a stopped run's move left there.
    const bool recordedHere =
        std::any_of(m_entries.begin(), m_entries.end(), [](const Manifest::Entry& entry) {
            return entry.state != Manifest::State::Gone;
        });
    if (recordedHere || (somethingThere && !m_entries.empty()))
        return false;
    const std::string folder = m_location.empty() ? *m_root : m_location + "/" + *m_root;
    // A plain file with no link on the way; a link or a folder stays where it is.
    if (pruneFile(folder, from, {}, false) != PruneFind::Edited)
        return false;
    const std::string native = folder + "/" + from;
    if (besideStands(native))
        return false;
    std::optional<std::string> bytes = readFileBytes(native);
    if (!bytes)
        return false;
    const ContentHash hash = contentHash(*bytes);
    const std::span<const Manifest::Entry> entries = m_previous->at(from);
    // A conflict still open in the file between markers is the user's to resolve where it is.
    if (std::any_of(entries.begin(), entries.end(), isConflict) && holdsConflictMarkers(*bytes))
        return false;
    const bool asWritten = std::any_of(entries.begin(), entries.end(), [&](const auto& entry) {
        return entry.hash == hash ||
               (entry.state == Manifest::State::Conflict && entry.pending == hash);
    });
    m_moving = Moving{from, native, std::move(*bytes), !asWritten, false};
    return true;
}

std::optional<ProjectOutput::Closed> RecordingOutput::closeMove(const std::string& theirs) {
    Moving moving = std::move(*m_moving);
    m_moving.reset();
    // The new text with the user's edits of the old file: merged on what was generated there.
    std::optional<std::string> text;
    if (!moving.edited) {
        text = theirs;
    } else {
        const std::optional<ContentHash> hash = mergeBaseHash(m_previous->at(moving.from), false);
        const std::string* base = hash && m_base ? m_base(moving.from, *hash) : nullptr;
        std::optional<MergedText> merged;
        // The name changed on many generated lines, often next to the user's: merged on a base
        // renamed as the templates renamed it, nothing but the name makes a change, and the
        // user's edits go in cleanly. The plain merge is tried when that one overlaps.
        if (base)
            merged = mergeTexts(renamed(*base, m_renames),
                                renamedWhereGenerated(moving.bytes, *base, m_renames), theirs,
                                "yours", "generated");
        if (base && (!merged || !merged->clean))
            merged = mergeTexts(*base, moving.bytes, theirs, "yours", "generated");
        if (merged && merged->clean)
            text = std::move(merged->text);
    }
    // Something stands at the target: only the very bytes of this move, which a run stopped
    // before it removed the old file left there, finish it; anything else is the user's.
    if (m_yoursBytes && (!text || *text != *m_yoursBytes))
        return std::nullopt;
    if (m_unreadable)
        return std::nullopt;
    const bool kept = !text; // overlapping edits: the old file stays, the new one as generated
    std::optional<std::string> bytes = kept ? theirs : std::move(*text);
    if (const auto choice = m_choices.find(m_key); choice != m_choices.end())
        bytes = choice->second;
    Outcome& outcome = begin(TargetState::Moved, m_key, m_native);
    outcome.move = std::make_shared<MoveDetails>(MoveDetails{
        *m_root + "/" + moving.from, moving.native, moving.edited && !kept, kept || !bytes});
    if (m_keepTexts)
        outcome.texts = std::make_shared<Texts>(Texts{moving.bytes, bytes.value_or(theirs)});
    m_movedAway.insert(moving.from);
    Manifest::Entry entry{Manifest::Kind::File,
                          Manifest::State::Generated,
                          *m_path,
                          theirs.size(),
                          contentHash(theirs),
                          0,
                          false};
    if (!bytes) {
        // The user chose to leave the target unwritten: nothing stands there, the old file stays.
        m_inner.keepOpenFile();
        return Closed::Kept;
    }
    Closed closed = Closed::Unchanged;
    if (m_yoursBytes) {
        if (m_inner.keepOpenFile() == Closed::Failed)
            closed = Closed::Failed;
    } else {
        m_inner.pending() = *bytes;
        closed = m_inner.closeFile();
    }
    outcome.written = closed == Closed::Written;
    if (closed == Closed::Failed) {
        outcome.state = TargetState::Refused;
        outcome.move->kept = true;
        return closed;
    }
    entry.held = contentHash(*bytes) == entry.hash;
    addEntry(std::move(entry));
    if (!outcome.move->kept)
        m_movesDone.push_back({moving.from, contentHash(moving.bytes), m_outcomes.size() - 1});
    return closed;
}

std::vector<std::string> RecordingOutput::finishMoves(bool remove) {
    std::vector<std::string> left;
    if (!m_ranWhole || !m_root || m_movesDone.empty())
        return left;
    std::unordered_set<std::string_view> targeted;
    for (const Outcome& outcome : m_outcomes)
        targeted.insert(outcome.key);
    const std::string folder = m_location.empty() ? *m_root : m_location + "/" + *m_root;
    for (const MoveDone& done : m_movesDone) {
        const Outcome& outcome = m_outcomes[done.outcome];
        // The run made a file at the old path too: it is no longer the moved one.
        if (outcome.state != TargetState::Moved || targeted.contains(outcome.move->from))
            continue;
        const PruneFind found = pruneFile(folder, done.from, {done.hash}, remove);
        if (found != PruneFind::AsRecorded && found != PruneFind::Missing)
            left.push_back(outcome.move->from);
    }
    return left;
}

} // namespace vantrel
