#pragma once

#include "fileutil/DiskView.h"
#include "fileutil/FileHandle.h"
#include "fileutil/FileReplace.h"
#include "fileutil/ProjectOutput.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vantrel {

// The run's output on the disk. A path counts as inside the location when, with every folder
// that exists resolved (links included), it lies in or below the resolved location; nothing is
// written through a link that leads out. A new file goes out in one unbuffered write per piece.
// A file that exists is replaced only when its bytes change, through a temporary file in its
// folder renamed over it (its permission bits kept), so a failed write leaves it whole.
class DiskOutput : public ProjectOutput, public DiskView {
public:
    void setLocation(const std::string& nativeLocation) override;
    bool createFolder(const std::string& nativePath, std::vector<std::string>& made,
                      std::string& refused) override;
    FileOpen openFile(const std::string& nativePath) override;
    std::string& pending() override { return m_pending; }
    bool writePending() override;
    Closed closeFile() override;
    Closed keepOpenFile() override;
    Copy copyFile(const std::string& nativeSource, const std::string& nativeTarget) override;
    bool mayLeaveUnopened(const std::string& nativePath) override;
    const std::string* openedFileBytes() const override {
        return m_existing ? &*m_existing : nullptr;
    }
    std::optional<FileIdentity> existingIdentity() const override { return m_existingIdentity; }

    // Files (native paths) that the following runs leave as they are, whatever they would write.
    void keepAsTheyAre(std::vector<std::string> nativePaths);
    // Whether a run would be let write a file (or make a folder) at a native path, as far as the
    // location's bounds and the permissions on the disk tell, writing nothing: what a preview
    // asks so that it refuses what the run refuses.
    bool wouldWrite(const std::string& nativePath, bool folder);
    // Where the temporary file of each replacement is noted before it is made (none: nowhere).
    void noteTemporaries(TemporaryNote note) { m_noteTemporary = std::move(note); }

private:
    // A resolved path's elements: a folder's (kept for the run, or the path's own) and, for a
    // file in a folder that exists, the file's name after them.
    struct PathElements {
        const std::vector<std::string>* folder = nullptr;
        std::string_view name; // none when empty
        std::vector<std::string> own;
        std::string ownName;

        std::size_t size() const { return folder->size() + (name.empty() ? 0 : 1); }
        std::string_view operator[](std::size_t i) const {
            return i < folder->size() ? std::string_view((*folder)[i]) : name;
        }
    };
    // With nameSeenAtOpen, a plain name in a folder is taken to be no link: the caller opens
    // it without following one and checks again where one is.
    void resolvedElements(const std::string& nativePath, PathElements& elements,
                          bool nameSeenAtOpen = false);
    bool liesWithinLocation(const std::string& nativePath, bool nameSeenAtOpen = false);
    bool write();
    bool put(std::string_view text);
    // The new bytes of an existing file, written unless they are the old ones.
    Closed replace(const std::string& bytes);

    // How the open file is being written.
    enum class Mode {
        None,
        Stream,  // a new file, written as the text comes
        Replace, // an existing file: collected, compared, then renamed into place
        Through, // a link or device in the file's place: compared, then written through it
        Keep,    // kept as it is
    };

    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>{}(text);
        }
    };
    std::string m_location;
    // Resolved elements of folders that exist, by native path: most targets of a run share a
    // few folders, which need resolving only once. Entries stay put for the run.
    std::unordered_map<std::string, std::vector<std::string>, NameHash, std::equal_to<>>
        m_resolvedFolders;
    FileHandle m_file;
    std::string m_pending;
    Mode m_mode = Mode::None;
    bool m_lastExisted = false;            // the last file opened was there already
    std::string m_path;                    // of the open file
    std::optional<std::string> m_existing; // the old bytes of a file being replaced
    std::optional<FileIdentity> m_existingIdentity;
    unsigned m_permissions = 0;
    std::vector<std::string> m_kept; // sorted
    TemporaryNote m_noteTemporary;
};

} // namespace vantrel
