#include "fileutil/ExistingFile.h"

#include "fileutil/FileHandle.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vantrel {

bool readAll(int fd, std::string& bytes, std::size_t expected) {
    // Read into the string itself, a known size asked for with one byte more: a plain file
    // gives less only at its end.
    std::size_t used = bytes.size();
    const std::size_t wanted = used + expected;
    std::size_t block = expected > 0 ? expected + 1 : 65536;
    for (;;) {
        bytes.resize(used + block);
        const ssize_t count = ::read(fd, bytes.data() + used, block);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            bytes.resize(used);
            return count == 0;
        }
        used += static_cast<std::size_t>(count);
        if (expected > 0 && static_cast<std::size_t>(count) < block && used >= wanted) {
            bytes.resize(used);
            return true;
        }
        block = std::max<std::size_t>(block, 65536);
    }
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t count = ::write(fd, bytes.data(), bytes.size());
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}

namespace {

// A plain file's bytes through a link; none for anything else (a device may never end).
std::optional<std::string> readThrough(const std::string& nativePath) {
    struct stat info {};
    if (::stat(nativePath.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    FileHandle file = openFile(nativePath, "rb");
    if (!file)
        return std::nullopt;
    std::string bytes;
    if (!readAll(fileno(file.get()), bytes))
        return std::nullopt;
    return bytes;
}

} // namespace

std::string_view platformText(std::string_view text, [[maybe_unused]] std::string& converted) {
#ifdef _WIN32
    converted.clear();
    converted.reserve(text.size());
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

bool inspectExisting(const std::string& nativePath, ExistingFile& existing) {
    existing = ExistingFile{};
    // Not blocking: a pipe in the place must not hold the run up.
    const int fd = ::open(nativePath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        // A link refused by O_NOFOLLOW: ELOOP, or EMLINK on some systems.
        if (errno == ELOOP || errno == EMLINK) {
            existing.kind = ExistingFile::Kind::Link;
            existing.bytes = readThrough(nativePath);
            return true;
        }
        return errno != ENOENT && errno != ENOTDIR;
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0) {
        if (S_ISREG(info.st_mode)) {
            std::string bytes;
            if (readAll(fd, bytes, static_cast<std::size_t>(info.st_size))) {
                existing.kind = ExistingFile::Kind::Regular;
                existing.bytes = std::move(bytes);
                existing.permissions = info.st_mode & 07777;
                existing.identity = FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                                                 static_cast<std::uint64_t>(info.st_ino)};
            }
        } else if (!S_ISDIR(info.st_mode)) {
            existing.kind = ExistingFile::Kind::Special;
        }
    }
    ::close(fd);
    return true;
}

std::FILE* createOrInspect(const std::string& nativePath, ExistingFile& existing,
                           bool likelyThere) {
    existing = ExistingFile{};
    if (likelyThere && inspectExisting(nativePath, existing) &&
        existing.kind != ExistingFile::Kind::None)
        return nullptr;
    // "x": made exclusively where nothing is, a link included.
    if (std::FILE* file = std::fopen(nativePath.c_str(), "wbx"))
        return file;
    if (errno == EEXIST)
        inspectExisting(nativePath, existing);
    return nullptr;
}

namespace {

// Writes a temporary file beside the target and renames it over it; on failure removes the
// temporary and says which step failed. sync makes the bytes reach the disk before the rename,
// so a crash right after it cannot leave an empty file in the old one's place.
std::optional<std::string> replaceThroughTemporary(const std::string& nativePath,
                                                   std::string_view bytes, unsigned permissions,
                                                   bool sync) {
    const std::filesystem::path path(nativePath);
    std::string temporary =
        (path.parent_path() / ("." + path.filename().string() + ".vantrel-XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return "cannot create a file beside it: " + std::string(std::strerror(errno));
    std::optional<std::string> failure;
    const auto failed = [&failure](const char* step) {
        if (!failure)
            failure = std::string(step) + ": " + std::strerror(errno);
    };
    if (::fchmod(fd, static_cast<mode_t>(permissions)) != 0)
        failed("cannot set its permissions");
    if (!failure && !writeAll(fd, bytes))
        failed("cannot write it");
    if (!failure && sync && ::fsync(fd) != 0)
        failed("cannot write it");
    if (::close(fd) != 0)
        failed("cannot write it");
    if (!failure && ::rename(temporary.c_str(), nativePath.c_str()) != 0)
        failed("cannot replace it");
    if (failure)
        ::unlink(temporary.c_str());
    return failure;
}

} // namespace

bool replaceFile(const std::string& nativePath, std::string_view bytes, unsigned permissions) {
    return !replaceThroughTemporary(nativePath, bytes, permissions, false);
}

std::optional<std::string> replaceFileAtomically(const std::string& nativePath,
                                                 std::string_view bytes) {
    // A link is followed: the file it names is replaced, the link stays.
    std::error_code error;
    std::string target = nativePath;
    if (std::filesystem::is_symlink(nativePath, error)) {
        const std::filesystem::path resolved = std::filesystem::canonical(nativePath, error);
        if (!error)
            target = resolved.string();
    }
    unsigned permissions = 0;
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode))
            return nativePath + ": not a plain file";
        permissions = info.st_mode & 07777;
    } else {
        // A new file gets the permissions any program's new file gets.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        permissions = 0666 & ~mask;
    }
    if (std::optional<std::string> failure =
            replaceThroughTemporary(target, bytes, permissions, true))
        return nativePath + ": " + *failure;
    return std::nullopt;
}

bool writeThrough(const std::string& nativePath, std::string_view bytes) {
    // A link to a plain file: the file it leads to is replaced whole, as a plain file is, so
    // that a write failing part-way cannot leave it cut short.
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(nativePath, error);
    struct stat info {};
    if (!error && ::stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        return replaceFile(target.string(), bytes, info.st_mode & 07777);
    FileHandle file = openFile(nativePath, "wb");
    if (!file)
        return false;
    const bool written =
        bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    return closeFile(file) && written;
}

void removeStaleReplacements(const std::string& nativeFolder) {
    constexpr std::string_view INFIX = ".vantrel-";
    constexpr std::size_t SUFFIX = 6; // what mkstemp puts in place of XXXXXX
    DIR* folder = ::opendir(nativeFolder.c_str());
    if (!folder)
        return;
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string_view name = entry->d_name;
        const std::size_t infix = name.size() > INFIX.size() + SUFFIX + 1
                                      ? name.size() - SUFFIX - INFIX.size()
                                      : std::string_view::npos;
        // The pattern's own "XXXXXX" is no name the system made: a file of the user's.
        if (name.starts_with('.') && infix != std::string_view::npos && infix > 1 &&
            name.substr(infix, INFIX.size()) == INFIX && !name.ends_with("XXXXXX"))
            stale.emplace_back(name);
    }
    ::closedir(folder);
    for (const std::string& name : stale) {
        const std::string path = nativeFolder + "/" + name;
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            ::unlink(path.c_str());
    }
}

} // namespace vantrel
