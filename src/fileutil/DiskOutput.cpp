#include "fileutil/DiskOutput.h"

#include "fileutil/ExistingFile.h"
#include "fileutil/FileReplace.h"
#include "fileutil/FileStream.h"
#include "fileutil/FileSystem.h"
#include "fileutil/TextFile.h"

#include <cstdio>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {

namespace {

namespace fs = std::filesystem;

// The path made absolute, with the folders that exist resolved (links included) and the rest
// normalised lexically, so ".." and links that lead out are seen for what they are.
fs::path resolvedPath(const std::string& nativePath) {
    std::error_code error;
    const fs::path path = nativePath.empty() ? fs::path(".") : fs::path(nativePath);
    fs::path absolute = fs::absolute(path, error);
    if (error)
        return path.lexically_normal();
    // A link whose target does not exist yet is kept as a name by weakly_canonical, but
    // opening it for writing creates that target, wherever it lies: follow it by hand.
    for (int hop = 0; hop < 40 && fs::is_symlink(fs::symlink_status(absolute, error)); ++hop) {
        const fs::path target = fs::read_symlink(absolute, error);
        if (error)
            break;
        absolute = target.is_absolute() ? target : absolute.parent_path() / target;
    }
    fs::path resolved = fs::weakly_canonical(absolute, error);
    if (error)
        return absolute.lexically_normal();
    return resolved;
}

std::vector<std::string> pathElements(const fs::path& path) {
    std::vector<std::string> elements;
    for (const fs::path& element : path) {
        if (!element.empty() && element != ".")
            elements.push_back(element.string());
    }
    return elements;
}

bool isRealFolder(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    return !error && fs::is_directory(status);
}

bool sameFile(const std::string& first, const std::string& second) {
    std::error_code error;
    return fs::equivalent(first, second, error) && !error;
}

// The folder part and the name of a native path when they can be read off the text itself (a
// plain name after the last separator, the folder not the root); otherwise the path is taken
// apart as a path.
bool splitPlainName(std::string_view path, std::string_view& folder, std::string_view& name) {
#ifdef _WIN32
    (void)path;
    (void)folder;
    (void)name;
    return false;
#else
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos || slash == 0 || path[slash - 1] == '/')
        return false;
    name = path.substr(slash + 1);
    if (name.empty() || name == "." || name == "..")
        return false;
    folder = path.substr(0, slash);
    return true;
#endif
}

} // namespace

void DiskOutput::setLocation(const std::string& nativeLocation) {
    m_location = nativeLocation;
    m_resolvedFolders.clear();
}

// The elements of resolvedPath. A file in a folder that exists is that folder's resolution and
// its own name, unless the name is a link or a step; the folders are resolved once per run.
void DiskOutput::resolvedElements(const std::string& nativePath, PathElements& result,
                                  bool nameSeenAtOpen) {
    // A folder met before (the location, for every target) resolves as it did then.
    if (const auto known = m_resolvedFolders.find(nativePath); known != m_resolvedFolders.end()) {
        result.folder = &known->second;
        return;
    }
    std::string_view folder;
    std::string_view name;
    bool plainName = splitPlainName(nativePath, folder, name);
    std::string folderPath;
    if (!plainName) {
        const fs::path path(nativePath);
        const fs::path fileName = path.filename();
        const fs::path parent = path.parent_path();
        plainName = !fileName.empty() && fileName != "." && fileName != ".." && !parent.empty();
        if (plainName) {
            folderPath = parent.string();
            result.ownName = fileName.string();
            folder = folderPath;
            name = result.ownName;
        }
    }
    EntryKind kind = EntryKind::Unknown;
    if (plainName && !nameSeenAtOpen) {
        kind = entryKindOf(nativePath);
        plainName = kind != EntryKind::Link;
    }
    if (!plainName) {
        // A folder that exists (no link) is kept for the files that will be written into it.
        result.own = pathElements(resolvedPath(nativePath));
        if (!nativePath.empty() && isRealFolder(nativePath))
            m_resolvedFolders.emplace(nativePath, result.own);
        result.folder = &result.own;
        return;
    }
    auto known = m_resolvedFolders.find(folder);
    if (known == m_resolvedFolders.end()) {
        if (!isRealFolder(folder)) {
            result.own = pathElements(resolvedPath(nativePath));
            result.folder = &result.own;
            return;
        }
        const std::string key(folder);
        known = m_resolvedFolders.emplace(key, pathElements(resolvedPath(key))).first;
    }
    if (kind == EntryKind::Folder) {
        // A real folder in a folder that exists: kept too, so the next look needs no query.
        std::vector<std::string> elements = known->second;
        elements.emplace_back(name);
        result.folder = &m_resolvedFolders.emplace(nativePath, std::move(elements)).first->second;
        return;
    }
    result.folder = &known->second;
    result.name = name;
}

bool DiskOutput::liesWithinLocation(const std::string& nativePath, bool nameSeenAtOpen) {
    PathElements base;
    resolvedElements(m_location, base);
    PathElements target;
    resolvedElements(nativePath, target, nameSeenAtOpen);
    if (target.size() < base.size())
        return false;
    for (std::size_t i = 0; i < base.size(); ++i) {
        if (target[i] != base[i])
            return false;
    }
    return true;
}

bool DiskOutput::wouldWrite(const std::string& nativePath, bool folder) {
    if (!liesWithinLocation(nativePath))
        return false;
    struct stat info {};
    if (::stat(nativePath.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return folder;
        if (folder)
            return false;
        // Replaced only where its owner may write it (see replaceFile).
        return !S_ISREG(info.st_mode) ||
               ((info.st_mode & S_IWUSR) != 0 && ::access(nativePath.c_str(), W_OK) == 0);
    }
    // Made in the nearest folder that exists, which must let this program add to it.
    std::error_code error;
    fs::path parent = fs::path(nativePath).parent_path();
    while (!parent.empty() && !fs::is_directory(parent, error) && parent.parent_path() != parent)
        parent = parent.parent_path();
    const std::string inside = parent.empty() ? std::string(".") : parent.string();
    return fs::is_directory(inside, error) && ::access(inside.c_str(), W_OK | X_OK) == 0;
}

bool DiskOutput::createFolder(const std::string& nativePath, std::vector<std::string>& made,
                              std::string& refused) {
    made.clear();
    if (!liesWithinLocation(nativePath)) {
        refused = nativePath;
        return false;
    }
    // The folders missing now, innermost first, to list those that the creation made.
    std::vector<std::string> missing;
    fs::path walk = fs::path(nativePath);
    while (!walk.empty() && !walk.has_filename() && walk.has_parent_path() &&
           walk.parent_path() != walk)
        walk = walk.parent_path();
    while (!walk.empty() && !directoryExists(walk.string())) {
        missing.push_back(walk.string());
        if (!walk.has_parent_path() || walk.parent_path() == walk)
            break;
        walk = walk.parent_path();
    }
    // Each missing folder is made in turn, so one such as "out/../elsewhere" would be left
    // outside even when the whole path, normalised, lies inside. The location is the folder
    // the user chose: it is made with its own missing folders.
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (!liesWithinLocation(*it) && !isFolderOrAbove(*it, m_location)) {
            refused = *it;
            return false;
        }
    }
    createDirectoryPath(nativePath);
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (directoryExists(*it))
            made.push_back(*it);
    }
    // A folder the system would not make where nothing stands (a name too long, a full disk)
    // is the command's failure: no later target need go into it to show it. A file in its
    // place is found as the targets into it are, as a dry run finds it.
    struct stat info {};
    if (!missing.empty() && ::lstat(missing.front().c_str(), &info) != 0) {
        refused = nativePath;
        return false;
    }
    return true;
}

void DiskOutput::keepAsTheyAre(std::vector<std::string> nativePaths) {
    m_kept = std::move(nativePaths);
    std::sort(m_kept.begin(), m_kept.end());
}

bool DiskOutput::mayLeaveUnopened(const std::string& nativePath) {
    return liesWithinLocation(nativePath, true) &&
           !std::binary_search(m_kept.begin(), m_kept.end(), nativePath);
}

ProjectOutput::FileOpen DiskOutput::openFile(const std::string& nativePath) {
    m_pending.clear();
    m_file.reset();
    m_existing.reset();
    m_existingIdentity.reset();
    m_mode = Mode::None;
    m_path = nativePath;
    // Whether the file's own place holds a link is seen as it is opened.
    if (!liesWithinLocation(nativePath, true))
        return FileOpen::Failed;
    if (std::binary_search(m_kept.begin(), m_kept.end(), nativePath)) {
        m_mode = Mode::Keep;
        return FileOpen::Replaced;
    }
    ExistingFile existing;
    // A run over an earlier run's files finds most of them there: it looks before it creates.
    m_file.reset(createOrInspect(nativePath, existing, m_lastExisted));
    m_lastExisted = !m_file;
    if (m_file) {
        std::setvbuf(m_file.get(), nullptr, _IONBF, 0);
        m_mode = Mode::Stream;
        return FileOpen::Created;
    }
    switch (existing.kind) {
    case ExistingFile::Kind::Regular:
        m_mode = Mode::Replace;
        m_existing = std::move(existing.bytes);
        m_existingIdentity = existing.identity;
        m_permissions = existing.permissions;
        return FileOpen::Replaced;
    case ExistingFile::Kind::Link:
        // Where the link leads is checked before anything is written through it.
        if (!liesWithinLocation(nativePath))
            return FileOpen::Failed;
        [[fallthrough]];
    case ExistingFile::Kind::Special:
        m_mode = Mode::Through;
        m_existing = std::move(existing.bytes);
        return FileOpen::Replaced;
    case ExistingFile::Kind::None:
    default:
        return FileOpen::Failed;
    }
}

bool DiskOutput::put(std::string_view text) {
    return text.empty() ||
           (m_file && std::fwrite(text.data(), 1, text.size(), m_file.get()) == text.size());
}

bool DiskOutput::write() {
    std::string converted;
    bool written = put(platformText(m_pending, converted));
    m_pending.clear();
    return written;
}

bool DiskOutput::writePending() {
    // Only a new file is written as the text comes; an existing one is compared first.
    return m_mode != Mode::Stream || m_pending.size() < PIECE_SIZE || write();
}

ProjectOutput::Closed DiskOutput::closeFile() {
    const Mode mode = m_mode;
    m_mode = Mode::None;
    switch (mode) {
    case Mode::Stream: {
        const bool written = write();
        return vantrel::closeFile(m_file) && written ? Closed::Written : Closed::Failed;
    }
    case Mode::Replace:
    case Mode::Through: {
        std::string converted;
        const std::string_view bytes = platformText(m_pending, converted);
        Closed closed = Closed::Unchanged;
        if (!m_existing || bytes != *m_existing) {
            const bool written = mode == Mode::Replace
                                     ? replaceFile(m_path, bytes, m_permissions, m_noteTemporary)
                                     : writeThrough(m_path, bytes);
            closed = written ? Closed::Written : Closed::Failed;
        }
        m_pending.clear(); // after the bytes, which may be a view of it
        return closed;
    }
    case Mode::Keep:
        m_pending.clear();
        return Closed::Kept;
    case Mode::None:
    default:
        return Closed::Failed;
    }
}

ProjectOutput::Closed DiskOutput::keepOpenFile() {
    const Mode mode = m_mode;
    m_mode = Mode::None;
    m_pending.clear();
    m_existing.reset();
    m_existingIdentity.reset();
    if (mode == Mode::Stream) {
        // Made by this very open: nothing was in its place, and nothing is again.
        vantrel::closeFile(m_file);
        ::unlink(m_path.c_str());
    }
    return mode == Mode::None ? Closed::Failed : Closed::Kept;
}

ProjectOutput::Copy DiskOutput::copyFile(const std::string& nativeSource,
                                         const std::string& nativeTarget) {
    FileStream input;
    if (!input.openRead(nativeSource))
        return Copy::SourceUnreadable;
    if (!liesWithinLocation(nativeTarget))
        return Copy::Refused;
    // Opening a file onto itself for writing would empty it: it is in place already.
    if (sameFile(nativeSource, nativeTarget))
        return Copy::Unchanged;
    if (std::binary_search(m_kept.begin(), m_kept.end(), nativeTarget))
        return Copy::Kept;
    ExistingFile existing;
    if (inspectExisting(nativeTarget, existing) && existing.kind != ExistingFile::Kind::None) {
        std::unique_ptr<char[]> buffer;
        std::int32_t length = 0;
        input.readAll(buffer, length);
        const std::string bytes(buffer ? buffer.get() : "", static_cast<std::size_t>(length));
        if (existing.bytes && bytes == *existing.bytes)
            return Copy::Unchanged;
        const bool written =
            existing.kind == ExistingFile::Kind::Regular
                ? replaceFile(nativeTarget, bytes, existing.permissions, m_noteTemporary)
                : writeThrough(nativeTarget, bytes);
        return written ? Copy::Done : Copy::Refused;
    }
    FileStream output;
    if (!output.openWrite(nativeTarget))
        return Copy::Refused;
    const std::int32_t size = input.size();
    const int copied = input.copyTo(output, -1);
    input.close();
    const bool closed = output.close() == 0;
    return copied == size && closed ? Copy::Done : Copy::Refused;
}

} // namespace vantrel
