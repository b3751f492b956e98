#include "fileutil/ExistingFile.h"

#include "fileutil/FileHandle.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {

namespace {

// Reads a file descriptor to its end; false on a read error.
bool readAll(int fd, std::string& bytes) {
    char block[65536];
    for (;;) {
        const ssize_t count = ::read(fd, block, sizeof block);
        if (count == 0)
            return true;
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.append(block, static_cast<std::size_t>(count));
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

std::string platformText(std::string_view text) {
#ifdef _WIN32
    std::string converted;
    converted.reserve(text.size());
    for (char c : text) {
        if (c == '\n')
            converted.push_back('\r');
        converted.push_back(c);
    }
    return converted;
#else
    return std::string(text);
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
            if (readAll(fd, bytes)) {
                existing.kind = ExistingFile::Kind::Regular;
                existing.bytes = std::move(bytes);
                existing.permissions = info.st_mode & 07777;
            }
        } else if (!S_ISDIR(info.st_mode)) {
            existing.kind = ExistingFile::Kind::Special;
        }
    }
    ::close(fd);
    return true;
}

std::FILE* createOrInspect(const std::string& nativePath, ExistingFile& existing) {
    existing = ExistingFile{};
    // "x": made exclusively where nothing is, a link included.
    if (std::FILE* file = std::fopen(nativePath.c_str(), "wbx"))
        return file;
    if (errno == EEXIST)
        inspectExisting(nativePath, existing);
    return nullptr;
}

bool replaceFile(const std::string& nativePath, std::string_view bytes, unsigned permissions) {
    const std::filesystem::path path(nativePath);
    std::string temporary =
        (path.parent_path() / ("." + path.filename().string() + ".vantrel-XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return false;
    const bool written = ::fchmod(fd, static_cast<mode_t>(permissions)) == 0 && writeAll(fd, bytes);
    const bool closed = ::close(fd) == 0;
    if (written && closed && ::rename(temporary.c_str(), nativePath.c_str()) == 0)
        return true;
    ::unlink(temporary.c_str());
    return false;
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

} // namespace vantrel
