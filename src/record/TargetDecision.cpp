#include "record/TargetDecision.h"

#include "diff/ConflictStages.h"
#include "diff/TextMerge.h"

#include <algorithm>

namespace vantrel {
namespace {

constexpr std::string_view YOURS_LABEL = "yours";
constexpr std::string_view THEIRS_LABEL = "generated";

using Entries = std::span<const Manifest::Entry>;

bool any(Entries entries, auto predicate) {
    return std::any_of(entries.begin(), entries.end(), predicate);
}

// Both are asked only once no FILE.vantrel-new stands, when a conflict's new text is what the
// user resolved it against.
// Whether a hash is text this program wrote at the path (in place, or beside it for a conflict
// the user has since resolved).
bool provenWritten(Entries recorded, ContentHash hash) {
    return any(recorded, [&](const Manifest::Entry& entry) {
        return entry.hash == hash ||
               (entry.state == Manifest::State::Conflict && entry.pending == hash);
    });
}

// Whether the new text is the last text of this program's the user has seen.
bool nothingNew(Entries recorded, ContentHash hash) {
    return any(recorded, [&](const Manifest::Entry& entry) {
        return (entry.state == Manifest::State::Conflict ? entry.pending : entry.hash) == hash;
    });
}

} // namespace

std::string_view targetStateLabel(TargetState state) {
    switch (state) {
    case TargetState::New:
        return "new";
    case TargetState::Same:
        return "same";
    case TargetState::Replaced:
        return "replaced";
    case TargetState::Merged:
        return "merged";
    case TargetState::Kept:
        return "kept";
    case TargetState::Conflict:
        return "conflict";
    case TargetState::DeletedByYou:
        return "deleted by you";
    case TargetState::NoLongerGenerated:
        return "no longer generated";
    case TargetState::Deleted:
        return "delete";
    case TargetState::Blocked:
        return "blocked";
    case TargetState::Refused:
        return "refused";
    case TargetState::Yours:
        return "kept (yours)";
    case TargetState::Moved:
        return "moved";
    }
    return "";
}

std::optional<ContentHash> mergeBaseHash(Entries recorded, bool conflictOpen) {
    // What was generated last comes first; a conflict still open has no base to merge on.
    for (const Manifest::State state :
         {Manifest::State::Generated, Manifest::State::Conflict, Manifest::State::Gone})
        for (const Manifest::Entry& entry : recorded)
            if (entry.state == state) {
                if (state != Manifest::State::Conflict)
                    return entry.hash;
                if (!conflictOpen)
                    return entry.pending;
            }
    return std::nullopt;
}

TargetDecision decideTarget(const TargetFacts& facts, std::string newText, TargetPolicy policy) {
    const bool recordedInPlace = any(facts.recorded, [](const Manifest::Entry& entry) {
        return entry.state != Manifest::State::Gone;
    });
    if (!facts.disk && !facts.unreadable) {
        // A file the user deleted stays deleted; one no longer generated comes back as new.
        if (!recordedInPlace || policy == TargetPolicy::Overwrite)
            return {TargetState::New, std::move(newText)};
        if (policy == TargetPolicy::Review)
            return {TargetState::DeletedByYou, std::move(newText)};
        return {TargetState::DeletedByYou, std::nullopt};
    }
    // What cannot be read cannot be compared: never written over, and the run says so.
    if (facts.unreadable)
        return {TargetState::Refused, std::nullopt};
    const std::string& disk = *facts.disk;
    if (policy == TargetPolicy::Overwrite)
        return {disk == newText ? TargetState::Same : TargetState::Replaced, std::move(newText)};
    if (disk == newText)
        return {TargetState::Same, std::move(newText)};
    // Until the user removes FILE.vantrel-new, or the markers in the file, the file is theirs to
    // resolve: nothing is merged into it.
    if (facts.besideStands || facts.markersStand) {
        TargetDecision decision{TargetState::Conflict, std::nullopt, facts.recorded.empty()};
        decision.unresolved = true;
        decision.markersStand = facts.markersStand && !facts.besideStands;
        if (policy == TargetPolicy::Review)
            decision.bytes = std::move(newText);
        return decision;
    }
    const ContentHash diskHash = contentHash(disk);
    if (provenWritten(facts.recorded, diskHash))
        return {TargetState::Replaced, std::move(newText)};
    const bool unproven = facts.recorded.empty();
    if (!unproven && nothingNew(facts.recorded, contentHash(newText)))
        return {TargetState::Kept, std::nullopt};
    std::optional<MergedText> merged;
    if (facts.base && facts.mergeable)
        merged = mergeTexts(*facts.base, disk, newText, YOURS_LABEL, THEIRS_LABEL);
    // A merge that brings nothing into the user's file leaves it as it is.
    if (merged && merged->clean && merged->text == disk)
        return {TargetState::Kept, std::nullopt};
    if (merged && merged->clean)
        return {TargetState::Merged, std::move(merged->text)};
    TargetDecision decision{TargetState::Conflict, std::nullopt, unproven};
    decision.mergeUnavailable =
        facts.base && facts.mergeable && !merged && !mergeUnavailable().empty();
    decision.noBase = !unproven && facts.mergeable && !facts.base;
    decision.markable = merged.has_value();
    if (policy == TargetPolicy::Review) {
        decision.bytes = merged ? std::move(merged->text) : std::move(newText);
    } else if (merged && facts.markConflicts && policy == TargetPolicy::Automatic) {
        // Only a proven file with a base gets markers: the base's lines are one of the sides.
        std::optional<MergedText> marked =
            mergeTexts(*facts.base, disk, newText, MARK_YOURS, MARK_NEW, MARK_BASE);
        if (marked && holdsConflictMarkers(marked->text)) {
            decision.bytes = std::move(marked->text);
            decision.marked = true;
        }
    }
    return decision;
}

} // namespace vantrel
