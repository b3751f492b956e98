#pragma once

#include "fileutil/ProjectOutput.h"

#include <filesystem>
#include <map>
#include <string>

namespace vantrel {

// The run's output recorded in memory: nothing on the disk changes. Paths are taken lexically
// (no links), relative to the location; the location itself counts as present when it exists
// on the disk or the run made it. Copy sources are read from the disk.
class MemoryOutput : public ProjectOutput {
public:
    // A recorded entry: a folder, or a file with its bytes as the disk would hold them.
    struct Entry {
        bool folder = false;
        std::string bytes;
    };
    // By path relative to the location, with "/" separators; the location itself is "".
    using Tree = std::map<std::string, Entry>;

    void setLocation(const std::string& nativeLocation) override;
    bool createFolder(const std::string& nativePath, std::vector<std::string>& made,
                      std::string& refused) override;
    FileOpen openFile(const std::string& nativePath) override;
    std::string& pending() override { return m_pending; }
    bool writePending() override { return true; }
    bool closeFile() override;
    Copy copyFile(const std::string& nativeSource, const std::string& nativeTarget) override;

    const Tree& tree() const { return m_tree; }

private:
    // The path's key in the tree; false when it lies outside the location.
    bool keyOf(const std::string& nativePath, std::string& key) const;
    bool isFolder(const std::string& key) const;
    // The folder a file goes into exists and the file's own place holds no folder.
    bool canHoldFile(const std::string& key) const;

    std::filesystem::path m_location; // absolute, normalised
    bool m_locationOnDisk = false;
    Tree m_tree;
    std::string m_openKey;
    bool m_open = false;
    std::string m_pending;
};

} // namespace vantrel
