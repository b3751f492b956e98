#pragma once

#include "fileutil/FileIdentity.h"

#include <cstddef>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// A large text is handed on in pieces of about this size, never held whole: a sink takes each
// piece and says whether it went on.
inline constexpr std::size_t TEXT_PIECE_SIZE = 65536;
using TextSink = std::function<bool(std::string_view piece)>;

// What stands in a generated file's place before it is written.
struct ExistingFile {
    enum class Kind {
        None,    // nothing usable: a folder, or nothing at all
        Regular, // a plain file: its bytes and permission bits
        Link,    // a link: its target's bytes when it can be read
        Special, // a device or pipe: never read
    };
    Kind kind = Kind::None;
    std::optional<std::string> bytes;
    unsigned permissions = 0;
    std::optional<FileIdentity> identity; // of a plain file
};

// The bytes of a text file as the disk holds them: "\n" becomes the platform's line end. Where
// that is "\n" already, the text itself; elsewhere the text made in converted.
std::string_view platformText(std::string_view text, std::string& converted);

// Looks at the file at a native path without following a link in its place; false when
// nothing is there.
bool inspectExisting(const std::string& nativePath, ExistingFile& existing);
// Creates the file at a native path for writing, exclusively; when something is there already
// it is not touched but inspected, and nothing is opened. likelyThere, when the caller expects
// something there (a run over an earlier run's files), looks before it tries to create.
std::FILE* createOrInspect(const std::string& nativePath, ExistingFile& existing,
                           bool likelyThere = false);

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

// Reads a file descriptor to its end, appending to bytes; false on a read error. expected, a
// plain file's size when known, lets a short read tell the end without another call.
bool readAll(int fd, std::string& bytes, std::size_t expected = 0);
// Writes all of bytes to a file descriptor, a signal notwithstanding; false on a write error.
bool writeAll(int fd, std::string_view bytes);

// Removes the temporary files that the journal at a path names (each written there by a
// TemporaryNote before its file was made), then the journal: a file that merely looks like a
// temporary one is never touched.
void removeNotedTemporaries(const std::string& journalPath);
// A TemporaryNote that appends each path to the journal at a path, making its folder (one
// level) when it is missing.
TemporaryNote journalOfTemporaries(const std::string& journalPath);

} // namespace vantrel
