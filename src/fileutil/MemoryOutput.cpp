#include "fileutil/MemoryOutput.h"

#include "fileutil/TextFile.h"

#include "fileutil/ExistingFile.h"
#include "fileutil/FileStream.h"
#include "fileutil/TextFile.h"

#include <algorithm>
#include <memory>
#include <string_view>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

fs::path normalised(const std::string& nativePath) {
    std::error_code error;
    fs::path absolute =
        fs::absolute(nativePath.empty() ? fs::path(".") : fs::path(nativePath), error);
    return (error ? fs::path(nativePath) : absolute).lexically_normal();
}

std::string parentKey(const std::string& key) {
    const std::size_t slash = key.rfind('/');
    return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

} // namespace

void MemoryOutput::setLocation(const std::string& nativeLocation) {
    m_location = normalised(nativeLocation);
    m_locationText = nativeLocation;
    while (m_locationText.size() > 1 && m_locationText.back() == '/')
        m_locationText.pop_back();
    m_tree.clear();
    m_madeAbove.clear();
    m_targets.clear();
    m_open = false;
    m_disk.setLocation(nativeLocation);
}

// A path the usual way the run builds it, the location and plain names, is taken apart as text;
// any other goes through the file-system library's normalisation.
bool plainBelow(std::string_view path, std::string_view location, std::string& key) {
    if (location.empty() || location == "." || path.size() <= location.size() + 1 ||
        !path.starts_with(location) || path[location.size()] != '/')
        return false;
    const std::string_view rest = path.substr(location.size() + 1);
    for (std::size_t start = 0; start <= rest.size();) {
        const std::size_t end = std::min(rest.find('/', start), rest.size());
        const std::string_view element = rest.substr(start, end - start);
        if (element.empty() || element == "." || element == "..")
            return false;
        start = end + 1;
    }
    key.assign(rest);
    return true;
}

bool MemoryOutput::keyOf(const std::string& nativePath, std::string& key) const {
    if (plainBelow(nativePath, m_locationText, key))
        return true;
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

fs::path MemoryOutput::onDisk(const std::string& key) const {
    return key.empty() ? m_location : m_location / key;
}

bool MemoryOutput::diskMayHold(const std::string& key) const {
    if (key.empty())
        return true;
    const auto parent = m_tree.find(parentKey(key));
    return parent == m_tree.end() || !parent->second.madeHere;
}

bool MemoryOutput::isFolder(const std::string& key) const {
    if (const auto found = m_tree.find(key); found != m_tree.end())
        return found->second.folder;
    if (!diskMayHold(key))
        return false;
    std::error_code error;
    return fs::is_directory(onDisk(key), error);
}

// As the file system resolves a path: every folder on the way must exist for ".." to lead back
// out of it, so "out/../gone/../out" is no folder while "gone" is missing.
bool MemoryOutput::resolvesToFolder(const fs::path& nativePath) const {
    std::error_code error;
    const fs::path absolute = fs::absolute(nativePath, error);
    if (error)
        return false;
    fs::path walked;
    for (const fs::path& element : absolute) {
        if (element == ".")
            continue;
        walked = element == ".." ? walked.parent_path() : walked / element;
        std::string key;
        const bool folder = keyOf(walked.string(), key)
                                ? isFolder(key)
                                : fs::is_directory(walked, error) || m_madeAbove.contains(walked);
        if (!folder)
            return false;
    }
    return true;
}

bool MemoryOutput::isFile(const std::string& key) const {
    if (const auto found = m_tree.find(key); found != m_tree.end())
        return !found->second.folder;
    if (!diskMayHold(key))
        return false;
    std::error_code error;
    const fs::file_status status = fs::status(onDisk(key), error);
    return fs::exists(status) && !fs::is_directory(status);
}

bool MemoryOutput::canHoldFile(const std::string& key) const {
    return !key.empty() && isFolder(parentKey(key)) && !isFolder(key);
}

bool MemoryOutput::createFolder(const std::string& nativePath, std::vector<std::string>& made,
                                std::string& refused) {
    made.clear();
    std::string key;
    if (!keyOf(nativePath, key) || (m_checkDisk && !m_disk.wouldWrite(nativePath, true))) {
        refused = nativePath;
        return false;
    }
    // Walks up the path as written, as the disk output does, so the folders made are named as
    // the disk output names them.
    struct Missing {
        std::string path;
        std::string key; // empty and outside: a folder outside the location
        bool inside;
    };
    std::vector<Missing> missing; // innermost first
    fs::path walk = fs::path(nativePath);
    while (!walk.empty() && !walk.has_filename() && walk.has_parent_path() &&
           walk.parent_path() != walk)
        walk = walk.parent_path();
    for (std::string walkKey; !walk.empty();) {
        const bool inside = keyOf(walk.string(), walkKey);
        if (resolvesToFolder(walk))
            break;
        missing.push_back({walk.string(), inside ? walkKey : std::string(), inside});
        if (!walk.has_parent_path() || walk.parent_path() == walk)
            break;
        walk = walk.parent_path();
    }
    // Each missing folder would be made in turn, so one that lies outside is refused even when
    // the whole path, normalised, lies inside.
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (it->inside)
            continue;
        if (!isFolderOrAbove(it->path, m_locationText)) {
            refused = it->path;
            return false;
        }
        // Something else where a folder of the location's goes: the system makes none.
        std::error_code error;
        if (fs::exists(fs::symlink_status(it->path, error))) {
            refused = nativePath;
            return false;
        }
    }
    bool blocked = false;
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        const std::string& path = it->path;
        const std::string& folderKey = it->key;
        if (!it->inside) {
            // A missing folder the location lies in, made with it.
            m_madeAbove.insert(normalised(path));
            made.push_back(path);
            continue;
        }
        // A file in the way: nothing further down can be made.
        blocked =
            blocked || isFile(folderKey) || (!folderKey.empty() && !isFolder(parentKey(folderKey)));
        addTarget({true, path, folderKey, blocked ? State::Blocked : State::New, {}});
        if (blocked)
            continue;
        Entry& folder = m_tree[folderKey];
        folder.folder = true;
        folder.madeHere = true;
        made.push_back(path);
    }
    if (missing.empty())
        addTarget({true, nativePath, key, State::Same, {}});
    return true;
}

bool MemoryOutput::mayWrite(const std::string& nativePath, std::string& key) {
    if (!keyOf(nativePath, key))
        return false;
    if (!canHoldFile(key)) {
        m_targets.push_back({false, nativePath, key, State::Blocked, {}});
        return false;
    }
    return !m_checkDisk || !diskMayHold(key) || m_disk.wouldWrite(nativePath, false);
}

ProjectOutput::FileOpen MemoryOutput::openFile(const std::string& nativePath) {
    m_pending.clear();
    m_open = false;
    m_openPath = nativePath;
    if (!mayWrite(nativePath, m_openKey))
        return FileOpen::Failed;
    m_open = true;
    m_openNew = !isFile(m_openKey);
    return m_openNew ? FileOpen::Created : FileOpen::Replaced;
}

ProjectOutput::Closed MemoryOutput::record(const std::string& nativePath, const std::string& key,
                                           std::string bytes) {
    Target target{false, nativePath, key, State::New, {}};
    ExistingFile existing;
    if (diskMayHold(key) && inspectExisting(onDisk(key).string(), existing) && existing.bytes) {
        const bool same = *existing.bytes == bytes;
        target.state = same ? State::Same : State::Changed;
        if (!same && m_keepDetails)
            target.oldBytes = std::move(existing.bytes);
    }
    const bool unchanged = target.state == State::Same;
    addTarget(std::move(target));
    m_tree[key] = Entry{false, m_keepDetails ? std::move(bytes) : std::string()};
    return unchanged ? Closed::Unchanged : Closed::Written;
}

void MemoryOutput::addTarget(Target target) {
    if (m_keepDetails || target.state == State::Blocked)
        m_targets.push_back(std::move(target));
}

ProjectOutput::Closed MemoryOutput::closeFile() {
    if (!m_open)
        return Closed::Failed;
    m_open = false;
    std::string converted;
    std::string bytes(platformText(m_pending, converted));
    m_pending.clear();
    return record(m_openPath, m_openKey, std::move(bytes));
}

ProjectOutput::Closed MemoryOutput::keepOpenFile() {
    if (!m_open)
        return Closed::Failed;
    m_open = false;
    m_pending.clear();
    // What the disk holds stays, and shows in the tree as the target's bytes.
    if (diskMayHold(m_openKey))
        if (std::optional<std::string> bytes = readFileBytes(onDisk(m_openKey).string()))
            record(m_openPath, m_openKey, std::move(*bytes));
    return Closed::Kept;
}

ProjectOutput::Copy MemoryOutput::copyFile(const std::string& nativeSource,
                                           const std::string& nativeTarget) {
    FileStream input;
    if (!input.openRead(nativeSource))
        return Copy::SourceUnreadable;
    std::string key;
    if (!mayWrite(nativeTarget, key))
        return Copy::Refused;
    std::unique_ptr<char[]> buffer;
    std::int32_t length = 0;
    input.readAll(buffer, length);
    std::string bytes(buffer ? buffer.get() : "", static_cast<std::size_t>(length));
    return record(nativeTarget, key, std::move(bytes)) == Closed::Unchanged ? Copy::Unchanged
                                                                            : Copy::Done;
}

} // namespace vantrel
