#include "fileutil/MemoryOutput.h"

#include "fileutil/FileStream.h"
#include "fileutil/FileSystem.h"

#include <memory>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

fs::path normalised(const std::string& nativePath) {
    std::error_code error;
    fs::path absolute =
        fs::absolute(nativePath.empty() ? fs::path(".") : fs::path(nativePath), error);
    return (error ? fs::path(nativePath) : absolute).lexically_normal();
}

// The bytes of a text file as the disk would hold them: "\n" becomes the platform's line end.
std::string platformText(std::string text) {
#ifdef _WIN32
    std::string converted;
    for (char c : text) {
        if (c == '\n')
            converted.push_back('\r');
        converted.push_back(c);
    }
    return converted;
#else
    return text;
#endif
}

std::string parentKey(const std::string& key) {
    const std::size_t slash = key.rfind('/');
    return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

} // namespace

void MemoryOutput::setLocation(const std::string& nativeLocation) {
    m_location = normalised(nativeLocation);
    m_locationOnDisk = directoryExists(nativeLocation);
    m_tree.clear();
    m_open = false;
}

bool MemoryOutput::keyOf(const std::string& nativePath, std::string& key) const {
    const fs::path relative = normalised(nativePath).lexically_relative(m_location);
    if (relative.empty() || *relative.begin() == "..")
        return false;
    key.clear();
    for (const fs::path& element : relative) {
        if (element.empty() || element == ".")
            continue;
        if (!key.empty())
            key.push_back('/');
        key.append(element.string());
    }
    return true;
}

bool MemoryOutput::isFolder(const std::string& key) const {
    if (key.empty() && m_locationOnDisk)
        return true;
    const auto found = m_tree.find(key);
    return found != m_tree.end() && found->second.folder;
}

bool MemoryOutput::canHoldFile(const std::string& key) const {
    if (key.empty() || !isFolder(parentKey(key)))
        return false;
    const auto found = m_tree.find(key);
    return found == m_tree.end() || !found->second.folder;
}

bool MemoryOutput::createFolder(const std::string& nativePath, std::vector<std::string>& made,
                                std::string& refused) {
    made.clear();
    std::string key;
    if (!keyOf(nativePath, key)) {
        refused = nativePath;
        return false;
    }
    // Walks up the path as written, as the disk output does, so the folders made are named as
    // the disk output names them.
    std::vector<std::pair<std::string, std::string>> missing; // native path, key
    fs::path walk = fs::path(nativePath);
    while (!walk.empty() && !walk.has_filename() && walk.has_parent_path() &&
           walk.parent_path() != walk)
        walk = walk.parent_path();
    std::string walkKey;
    while (!walk.empty() && keyOf(walk.string(), walkKey) && !isFolder(walkKey)) {
        missing.emplace_back(walk.string(), walkKey);
        if (!walk.has_parent_path() || walk.parent_path() == walk)
            break;
        walk = walk.parent_path();
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        const std::string& folderKey = it->second;
        if (m_tree.contains(folderKey) || (!folderKey.empty() && !isFolder(parentKey(folderKey))))
            break; // a file in the way: nothing further down can be made
        if (folderKey.empty())
            m_locationOnDisk = true;
        else
            m_tree[folderKey].folder = true;
        made.push_back(it->first);
    }
    return true;
}

ProjectOutput::FileOpen MemoryOutput::openFile(const std::string& nativePath) {
    m_pending.clear();
    m_open = false;
    if (!keyOf(nativePath, m_openKey) || !canHoldFile(m_openKey))
        return FileOpen::Failed;
    m_open = true;
    return m_tree.contains(m_openKey) ? FileOpen::Replaced : FileOpen::Created;
}

bool MemoryOutput::closeFile() {
    if (!m_open)
        return false;
    m_open = false;
    m_tree[m_openKey] = Entry{false, platformText(std::move(m_pending))};
    m_pending.clear();
    return true;
}

ProjectOutput::Copy MemoryOutput::copyFile(const std::string& nativeSource,
                                           const std::string& nativeTarget) {
    FileStream input;
    if (!input.openRead(nativeSource))
        return Copy::SourceUnreadable;
    std::string key;
    if (!keyOf(nativeTarget, key) || !canHoldFile(key))
        return Copy::Refused;
    std::unique_ptr<char[]> buffer;
    std::int32_t length = 0;
    input.readAll(buffer, length);
    m_tree[key] = Entry{false, std::string(buffer.get(), static_cast<std::size_t>(length))};
    return Copy::Done;
}

} // namespace vantrel
