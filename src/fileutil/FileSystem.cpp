#include "fileutil/FileSystem.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {

namespace {

// Seconds between the platform file-time epoch (1601-01-01) and the POSIX epoch.
constexpr std::uint64_t FT_EPOCH_OFFSET_SECONDS = 11644473600ULL;
constexpr std::uint64_t FT_TICKS_PER_SECOND = 10000000ULL; // 100-nanosecond ticks

bool hasDrivePrefix(std::string_view path) {
    return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) != 0 &&
           path[1] == ':';
}

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

// A drive root names a whole drive; this platform has no drive letters, so none is accessible.
bool driveAccessible(char /*letter*/) {
    return false;
}

bool isDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

std::string nativePath(std::string_view path) {
    std::string result(path);
#ifndef _WIN32
    for (char& c : result) {
        if (c == '\\') {
            c = '/';
        }
    }
#endif
    return result;
}

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty())
        path += '\\';
    return path.append(name);
}

EntryKind entryKindOf(const std::string& nativePath) {
#ifdef _WIN32
    std::error_code error;
    const auto status = std::filesystem::symlink_status(nativePath, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return EntryKind::Missing;
    if (error)
        return EntryKind::Unknown;
    if (std::filesystem::is_symlink(status))
        return EntryKind::Link;
    return std::filesystem::is_directory(status) ? EntryKind::Folder : EntryKind::Other;
#else
    struct stat info {};
    if (::lstat(nativePath.c_str(), &info) == 0)
        return S_ISLNK(info.st_mode)   ? EntryKind::Link
               : S_ISDIR(info.st_mode) ? EntryKind::Folder
                                       : EntryKind::Other;
    // As the standard library's status reads it: a missing folder on the way is nothing there.
    return errno == ENOENT || errno == ENOTDIR ? EntryKind::Missing : EntryKind::Unknown;
#endif
}

bool queryFileTime(std::string_view path, FileTime* time) {
    const std::string native = nativePath(path);
    // Never waits for a writer, as a pipe or device would make it.
    const int fd = ::open(native.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    const bool known = ::fstat(fd, &info) == 0;
    ::close(fd);
    // Only files have a last-write time here: a folder does not open as a file.
    if (known && S_ISDIR(info.st_mode)) {
        return false;
    }
    if (known && time != nullptr) {
        const std::uint64_t ticks =
            (static_cast<std::uint64_t>(info.st_mtim.tv_sec) + FT_EPOCH_OFFSET_SECONDS) *
                FT_TICKS_PER_SECOND +
            static_cast<std::uint64_t>(info.st_mtim.tv_nsec) / 100U;
        time->low = static_cast<std::uint32_t>(ticks & 0xFFFFFFFFU);
        time->high = static_cast<std::uint32_t>(ticks >> 32);
    }
    return true;
}

bool directoryExists(std::string_view path) {
    std::string native = nativePath(path);
    if (native.empty()) {
        return false;
    }
    if (isSeparator(native.back())) {
        native.pop_back();
        if (native.empty()) {
            return isDirectory("/"); // the root itself, given as a lone separator
        }
    }
    if (hasDrivePrefix(native) && native.size() <= 3) {
        return driveAccessible(
            static_cast<char>(std::toupper(static_cast<unsigned char>(native[0]))));
    }
    // An entry named "." is the folder's own link, never a folder of its own name.
    const std::size_t lastSeparator = native.find_last_of("/\\");
    const std::string_view name = lastSeparator == std::string::npos
                                      ? std::string_view(native)
                                      : std::string_view(native).substr(lastSeparator + 1);
    if (name == ".") {
        return false;
    }
    return isDirectory(native);
}

void createDirectoryPath(std::string_view path) {
    if (directoryExists(path)) {
        return;
    }
    const std::string native = nativePath(path);
    std::size_t start = 0;
    if (hasDrivePrefix(native)) {
        // The drive itself is never created: the walk begins after its root separator.
        start = native.find_first_of("/\\");
        if (start == std::string::npos) {
            return;
        }
    }
    ++start;
    if (start >= native.size()) {
        return;
    }
    for (std::size_t i = start; i + 1 < native.size(); ++i) {
        if (isSeparator(native[i])) {
            ::mkdir(native.substr(0, i).c_str(), 0777); // failures are expected and ignored
        }
    }
    ::mkdir(native.c_str(), 0777);
}

bool isFolderOrAbove(const std::string& folder, const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path outer = fs::absolute(folder.empty() ? "." : folder, error).lexically_normal();
    const fs::path inner = fs::absolute(path.empty() ? "." : path, error).lexically_normal();
    auto at = inner.begin();
    for (const fs::path& element : outer) {
        if (element.empty())
            continue; // a trailing separator
        while (at != inner.end() && at->empty())
            ++at;
        if (at == inner.end() || *at != element)
            return false;
        ++at;
    }
    return true;
}

std::string whyNotWritable(const std::string& nativePath) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path path(nativePath);
    const fs::file_status own = fs::symlink_status(path, error);
    if (fs::is_directory(own))
        return "a folder stands there";
    if (fs::exists(own))
        return ::access(nativePath.c_str(), W_OK) == 0 ? std::string() : std::strerror(errno);
    for (fs::path parent = path.parent_path();; parent = parent.parent_path()) {
        const fs::path shown = parent.empty() ? fs::path(".") : parent;
        const fs::file_status status = fs::status(shown, error);
        if (fs::exists(status)) {
            if (!fs::is_directory(status))
                return shown.string() + " is a file, not a folder";
            if (::access(shown.c_str(), W_OK | X_OK) != 0)
                return shown.string() + ": " + std::strerror(errno);
            return {};
        }
        if (parent.empty() || parent == parent.parent_path())
            return {};
    }
}

} // namespace vantrel
