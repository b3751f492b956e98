#include "fileutil/ExistingFile.h"

#include "fileutil/FileHandle.h"
#include "fileutil/TextFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {

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

} // namespace vantrel
