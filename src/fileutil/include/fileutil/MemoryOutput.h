#pragma once

#include "fileutil/DiskOutput.h"
#include "fileutil/DiskView.h"
#include "fileutil/ProjectOutput.h"

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vantrel {

// The run's output recorded in memory over what the disk holds: nothing on the disk changes,
// but folders and files that are there count as there. Paths are taken lexically (no links),
// relative to the location. Copy sources are read from the disk.
class MemoryOutput : public ProjectOutput, public DiskView {
public:
    // A recorded entry: a folder, or a file with its bytes as the disk would hold them.
    struct Entry {
        bool folder = false;
        std::string bytes;
        bool madeHere = false; // a folder the disk does not have: nothing below it is there
    };
    // By path relative to the location, with "/" separators; the location itself is "".
    using Tree = std::map<std::string, Entry>;

    // What the run would do to one target, measured against the disk.
    enum class State {
        New,     // nothing there yet
        Same,    // the folder, or a file with these very bytes, is there
        Changed, // a file with other bytes is there
        Blocked, // a folder where a file goes, or a file where a folder goes
    };
    struct Target {
        bool folder = false;
        std::string nativePath;
        std::string key;
        State state = State::New;
        std::optional<std::string> oldBytes; // a changed file's bytes on the disk
    };

    void setLocation(const std::string& nativeLocation) override;
    bool createFolder(const std::string& nativePath, std::vector<std::string>& made,
                      std::string& refused) override;
    FileOpen openFile(const std::string& nativePath) override;
    std::string& pending() override { return m_pending; }
    // A new file's text is compared with nothing: without the details it need not be kept
    // whole, only passed on in pieces as the disk's output does.
    bool writePending() override {
        if (!m_keepDetails && m_openNew)
            m_pending.clear();
        return true;
    }
    Closed closeFile() override;
    Closed keepOpenFile() override;
    Copy copyFile(const std::string& nativeSource, const std::string& nativeTarget) override;

    // Asks the disk, as a preview must, whether each file and folder could be written there
    // (the location's bounds followed through links, and the permissions): what the disk would
    // refuse is refused here too.
    void checkWithDisk(bool check) { m_checkDisk = check; }
    bool checksWithDisk() const { return m_checkDisk; }
    // Whether the tree holds the bytes of the files, each changed target the disk's old ones,
    // and every target; without them (a listing of states needs only the blocked targets) a
    // large preview takes far less memory.
    void keepDetails(bool keep) { m_keepDetails = keep; }
    bool mayLeaveUnopened(const std::string& nativePath) override {
        std::string key;
        return m_checkDisk && keyOf(nativePath, key) && diskMayHold(key) && !m_tree.contains(key) &&
               m_disk.mayLeaveUnopened(nativePath);
    }

    // Everything the run made or wrote, over the disk's own entries.
    const Tree& tree() const { return m_tree; }
    // Every target the run went for, in the order it went for them (folders it found in place
    // included), with what would happen to each on the disk.
    const std::vector<Target>& targets() const { return m_targets; }

private:
    // The path's key in the tree; false when it lies outside the location.
    bool keyOf(const std::string& nativePath, std::string& key) const;
    std::filesystem::path onDisk(const std::string& key) const;
    // False when the disk cannot hold anything at the key: its folder is one the run made.
    bool diskMayHold(const std::string& key) const;
    bool isFolder(const std::string& key) const;
    bool isFile(const std::string& key) const;
    bool resolvesToFolder(const std::filesystem::path& nativePath) const;
    // The folder a file goes into exists and the file's own place holds no folder.
    bool canHoldFile(const std::string& key) const;
    // The key of a target the run may write: not one the tree cannot hold a file at (listed as
    // blocked), nor, when checking with the disk, one the disk run would refuse.
    bool mayWrite(const std::string& nativePath, std::string& key);
    Closed record(const std::string& nativePath, const std::string& key, std::string bytes);
    void addTarget(Target target);

    bool m_checkDisk = false;
    bool m_keepDetails = true;
    DiskOutput m_disk;                           // asked only, never written through
    std::filesystem::path m_location;            // absolute, normalised
    std::string m_locationText;                  // as given, to take the usual paths apart as text
    std::set<std::filesystem::path> m_madeAbove; // missing folders the location lies in, made
    Tree m_tree;
    std::vector<Target> m_targets;
    std::string m_openPath;
    std::string m_openKey;
    bool m_open = false;
    bool m_openNew = false; // nothing stands where the open file goes
    std::string m_pending;
};

} // namespace vantrel
