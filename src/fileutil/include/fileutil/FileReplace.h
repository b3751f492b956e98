#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// Told the absolute path of a temporary file before it is created, so that a run killed while
// it stands can have it removed later; false: it is not to be created.
using TemporaryNote = std::function<bool(const std::string& absolutePath)>;

// Replaces a plain file with new bytes. A file without its owner's write permission is not
// replaced (false). A file with other names (hard links), another owner or extended attributes
// is written in place once the bytes are whole in memory, so that its names, owner and
// attributes stay. Any other is replaced through a temporary file in its folder with its
// permission bits, renamed over it, so a failure leaves the old file whole and no temporary.
bool replaceFile(const std::string& nativePath, std::string_view bytes, unsigned permissions,
                 const TemporaryNote& note = {});
// Saves a document the user keeps: as replaceFile, with the old file's permission bits (a new
// one's as the umask gives them), the bytes on the disk before the rename, and a link followed
// to the file it names. The reason, "<path>: <what failed>: <why>", when it was not saved.
std::optional<std::string> replaceFileAtomically(const std::string& nativePath,
                                                 std::string_view bytes);
// Writes new bytes through whatever stands in the place (a link followed): a plain file it
// leads to is replaced as replaceFile does, anything else (a device, a pipe) written from empty.
bool writeThrough(const std::string& nativePath, std::string_view bytes);

// Removes the temporary files that the journal at a path names (each written there by a
// TemporaryNote before its file was made), then the journal: a file that merely looks like a
// temporary one is never touched.
void removeNotedTemporaries(const std::string& journalPath);
// A TemporaryNote that appends each path to the journal at a path, making its folder (one
// level) when it is missing.
TemporaryNote journalOfTemporaries(const std::string& journalPath);

} // namespace vantrel
