#pragma once

#include "record/ContentHash.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// What stands at a recorded file that a run no longer makes, looked at without following a link
// anywhere on its way down from the project folder.
enum class PruneFind {
    AsRecorded, // a plain file holding the recorded bytes: pruning deletes it
    Edited,     // a plain file holding other bytes: the user's, kept
    Missing,    // nothing there
    Other,      // a link, a folder, or a link on the way: never touched
    Failed,     // as recorded, but the system refused to delete it
};

// Looks at the file at path (below the project folder, "/" between names); with remove, deletes
// it when it holds the bytes of one of the recorded hashes.
PruneFind pruneFile(const std::string& projectFolder, std::string_view path,
                    const std::vector<ContentHash>& recorded, bool remove);

// The names in the folder at path below the project folder; none when it is no folder or a link
// leads to it.
std::optional<std::vector<std::string>> namesInFolder(const std::string& projectFolder,
                                                      std::string_view path);

// Removes the folder at path below the project folder when it is empty and no link leads to it.
bool removeEmptyFolder(const std::string& projectFolder, std::string_view path);

} // namespace vantrel
