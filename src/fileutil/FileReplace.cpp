#include "fileutil/FileReplace.h"

#include "fileutil/ExistingFile.h"
#include "fileutil/FileHandle.h"
#include "fileutil/TextFile.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace vantrel {

namespace {

// Writes a temporary file beside the target and renames it over it; on failure removes the
// temporary and says which step failed. sync makes the bytes reach the disk before the rename,
// so a crash right after it cannot leave an empty file in the old one's place.
std::optional<std::string> replaceThroughTemporary(const std::string& nativePath,
                                                   std::string_view bytes, unsigned permissions,
                                                   bool sync, const TemporaryNote& note = {}) {
    const std::filesystem::path path(nativePath);
    static constexpr std::string_view LETTERS =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static thread_local std::mt19937_64 random{std::random_device{}()};
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        std::string suffix;
        for (int i = 0; i < 6; ++i)
            suffix += LETTERS[random() % LETTERS.size()];
        temporary =
            (path.parent_path() / ("." + path.filename().string() + ".vantrel-" + suffix)).string();
        if (note) {
            std::error_code error;
            const std::filesystem::path absolute = std::filesystem::absolute(temporary, error);
            if (error || !note(absolute.string()))
                return "cannot note a file beside it";
        }
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            break;
    }
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

// Whether a file is more than its one name and its permission bits: a rename would split it
// from its other names, or drop its owner or its attributes.
bool sharedOrOwned(const std::string& nativePath, const struct stat& info) {
    if (info.st_nlink > 1 || info.st_uid != ::geteuid())
        return true;
#ifdef __linux__
    const ssize_t names = ::listxattr(nativePath.c_str(), nullptr, 0);
    return names > 0;
#else
    (void)nativePath;
    return false;
#endif
}

// Writes the whole of bytes into the file itself, from empty.
bool writeInPlace(const std::string& nativePath, std::string_view bytes) {
    const int fd = ::open(nativePath.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, bytes);
    return ::close(fd) == 0 && written;
}

} // namespace

bool replaceFile(const std::string& nativePath, std::string_view bytes, unsigned permissions,
                 const TemporaryNote& note) {
    struct stat info {};
    if (::lstat(nativePath.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        // Protected against writing by its owner: not ours to replace, whoever runs this.
        if ((info.st_mode & S_IWUSR) == 0 || ::access(nativePath.c_str(), W_OK) != 0)
            return false;
        if (sharedOrOwned(nativePath, info))
            return writeInPlace(nativePath, bytes);
    }
    return !replaceThroughTemporary(nativePath, bytes, permissions, false, note);
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

void removeNotedTemporaries(const std::string& journalPath) {
    const std::optional<std::string> journal = readFileBytes(journalPath);
    if (!journal)
        return;
    std::string_view rest = *journal;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string path(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        struct stat info {};
        if (!path.empty() && ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            ::unlink(path.c_str());
    }
    ::unlink(journalPath.c_str());
}

TemporaryNote journalOfTemporaries(const std::string& journalPath) {
    return [journalPath](const std::string& absolutePath) {
        if (absolutePath.find('\n') != std::string::npos)
            return false;
        int fd = ::open(journalPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW,
                        0666);
        if (fd < 0 && errno == ENOENT) {
            ::mkdir(std::filesystem::path(journalPath).parent_path().c_str(), 0777);
            fd = ::open(journalPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW,
                        0666);
        }
        if (fd < 0)
            return false;
        const bool written = writeAll(fd, absolutePath + "\n");
        return ::close(fd) == 0 && written;
    };
}

} // namespace vantrel
