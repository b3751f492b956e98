#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// The labels of a conflict written into its file: the user's lines, the lines both came from
// and the new ones.
inline constexpr std::string_view MARK_YOURS = "yours";
inline constexpr std::string_view MARK_BASE = "base";
inline constexpr std::string_view MARK_NEW = "new";

// Whether a text still holds a line of a conflict block as a marked merge writes it:
// "<<<<<<< yours", "||||||| base" or ">>>>>>> new", the whole line. A block the user took only
// part of away is not resolved yet; lines that merely look like markers (a "<<<<<<<" in a
// string, other labels) are none.
bool holdsConflictMarkers(std::string_view text);

// What recording a conflict in the index of the git work tree around a file came to.
struct Staging {
    enum class Result {
        Staged,      // stages 1, 2 and 3 are in the index (or would be, when only asked)
        NoWorkTree,  // no repository holds the file, or one without a work tree (bare)
        Outside,     // the file is not inside the repository's work tree, or is a link
        Failed,      // the index could not be read or written (locked, damaged)
        Unavailable, // the version-control library cannot be loaded
    };
    Result result = Result::Unavailable;
    std::string why; // for all but Staged: what stood in the way, to tell the user
};

// Records base, yours and theirs as the stages 1, 2 and 3 of a file in the index of the git
// work tree that holds it, as a merge that stopped leaves them. write false: nothing is written,
// only what a write would come to is told (an index that is locked now shows as Failed).
Staging stageConflict(const std::string& nativePath, std::string_view base, std::string_view yours,
                      std::string_view theirs, bool write);

} // namespace vantrel
