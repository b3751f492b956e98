#pragma once

#include "record/Manifest.h"

#include <optional>
#include <span>
#include <string>

namespace vantrel {

// What a run does, or would do, to one target: the labels of the listing and the review.
enum class TargetState {
    New,               // nothing there: written
    Same,              // it holds the new bytes already
    Replaced,          // it holds what this program last wrote there: the new bytes replace them
    Merged,            // edited; the new text merged in without overlap
    Kept,              // edited, and nothing new came for it: left as it is
    Conflict,          // kept as it is, the new text beside it as FILE.vantrel-new
    DeletedByYou,      // recorded, and deleted since: not written again
    NoLongerGenerated, // recorded, and the run no longer makes it
    Deleted,           // no longer generated and still as recorded: deleted when asked to prune
    Blocked,           // a folder where a file goes, or the reverse
    Refused,           // the system or the location's bounds do not let it be written
    Yours,             // the user's (written once, or detached): never written or merged
    Moved,             // an action's rename moved its file here: the old one's edits came along
};

// The listing's word for a state.
std::string_view targetStateLabel(TargetState state);

// How a run treats files it cannot prove it wrote.
enum class TargetPolicy {
    Automatic, // clean merges written; everything else of the user's kept
    Review,    // the bytes each choice of the review would write are made (merges with markers)
    Overwrite, // every target written as generated
};

// Where a run puts the two sides of a conflict.
enum class ConflictStyle {
    Beside,  // the file kept as it is, the new text beside it as FILE.vantrel-new
    Markers, // both sides and their base written into the file between conflict markers
    Git,     // as Markers, and the three texts recorded as the file's stages in git's index
};

// What is known of one target when its new text is made.
struct TargetFacts {
    std::span<const Manifest::Entry> recorded; // the record's entries at its path
    const std::string* disk = nullptr;         // the bytes there; null when nothing is there
    bool unreadable = false;                   // a file is there that cannot be read
    bool besideStands = false;                 // FILE.vantrel-new is there: a conflict still open
    const std::string* base = nullptr;         // the text of mergeBaseHash, when it can be made
    bool mergeable = true;                     // a text (copies are never merged)
    // It still holds the markers of a conflict the record names: a conflict still open.
    bool markersStand = false;
    bool markConflicts = false; // a conflict is written into the file between markers
};

struct TargetDecision {
    TargetState state = TargetState::New;
    std::optional<std::string> bytes; // what goes into the file; none: it stays as it is
    bool unproven = false;         // kept because no record says this program wrote what is there
    bool mergeUnavailable = false; // a merge was due, but the library that merges is missing
    // Kept: edited, and the text it was made from cannot be made again to merge on.
    bool noBase = false;
    bool unresolved = false;   // kept: the FILE.vantrel-new of an earlier conflict still stands
    bool markersStand = false; // kept: it still holds the markers of an earlier conflict
    // A conflict whose bytes are the merge with markers (yours, base, new), written into the
    // file by an automatic run.
    bool marked = false;
    // A conflict whose merge could be written into the file between markers (a proven text
    // with a base), whatever the style asked.
    bool markable = false;
};

// The one rule: a file is replaced or merged into only when the record proves what this
// program wrote there last; any other file whose bytes differ from the new text is the user's.
TargetDecision decideTarget(const TargetFacts& facts, std::string newText, TargetPolicy policy);

// The hash of the text a merge into the target takes as its base: what this program last wrote
// there, or the new text the user last resolved a conflict against. None: no entry gives one.
// conflictOpen: FILE.vantrel-new, or the markers of the last conflict, still stand.
std::optional<ContentHash> mergeBaseHash(std::span<const Manifest::Entry> recorded,
                                         bool conflictOpen);

} // namespace vantrel
