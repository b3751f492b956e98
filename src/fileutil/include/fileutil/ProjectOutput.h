#pragma once

#include "fileutil/FileIdentity.h"
#include "fileutil/TextFile.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

// Everything a generation run does to the file system goes through this: folders, written text
// files and copies, every path kept in or below the project location. DiskOutput writes to the
// disk; MemoryOutput records a tree in memory (a preview, a review, tests).
class ProjectOutput {
public:
    virtual ~ProjectOutput() = default;

    // The folder every path must lie in or below, as a native path; set before a run.
    virtual void setLocation(const std::string& nativeLocation) = 0;

    // Creates a folder with its missing parents; made receives, outermost first, the missing
    // folders that exist afterwards. False, with nothing made, when the folder or a missing
    // folder on its way lies outside the location, and false when the system would not make it
    // where nothing stands (a name too long, a full disk); refused then names it. A file in its
    // place is not noticed here: writing into it fails.
    virtual bool createFolder(const std::string& nativePath, std::vector<std::string>& made,
                              std::string& refused) = 0;

    enum class FileOpen { Created, Replaced, Failed };
    // Starts the text file at a native path from empty. Failed: it lies outside the location or
    // cannot be opened.
    virtual FileOpen openFile(const std::string& nativePath) = 0;
    // The next file opened is written once: only where no record says a run had it before. An
    // output that keeps no record writes it as any other.
    virtual void nextFileOnce() {}
    // The open file's text not yet written; lines are appended here with "\n" breaks, which
    // become the platform's line ends. The same string from openFile to closeFile.
    virtual std::string& pending() = 0;
    // Pending text is passed on in pieces of about this size: asked for writePending once it
    // holds this much, an output writes.
    static constexpr std::size_t PIECE_SIZE = TEXT_PIECE_SIZE;
    // Passes the pending text on once enough has gathered; false when a write failed (the
    // pending text is then dropped).
    virtual bool writePending() = 0;
    enum class Closed {
        Written,   // the file holds the new text
        Unchanged, // it held these very bytes already and was not touched
        Kept,      // the user chose to keep the file as it is
        Failed,    // a write or the close failed; a file that existed keeps its old bytes
    };
    // Writes what is pending and closes the file.
    virtual Closed closeFile() = 0;
    // Closes the file leaving what was in its place as it was; the pending text goes.
    virtual Closed keepOpenFile() = 0;

    // The identity of the plain file the open file replaces, when this output looked at it for
    // its own use; none otherwise.
    virtual std::optional<FileIdentity> existingIdentity() const { return std::nullopt; }

    enum class Copy { Done, Unchanged, Kept, SourceUnreadable, Refused };
    // Copies a file byte for byte. Refused: the target lies outside the location, or cannot be
    // opened or written (a target that existed keeps its old bytes).
    virtual Copy copyFile(const std::string& nativeSource, const std::string& nativeTarget) = 0;
};

} // namespace vantrel
