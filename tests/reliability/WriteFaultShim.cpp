// Preloaded into vantrel-gen by the write-fault test: counts every call that makes, writes,
// renames or closes something below one folder, and makes the n-th of them fail.
//
//   VANTREL_FAULT_ROOT   the folder (absolute); nothing outside it is counted or failed
//   VANTREL_FAULT_AT     the call to fail, counted from 1; 0 or unset fails none
//   VANTREL_FAULT_COUNT  a file that receives the number of calls counted, at exit
//
// Counted: opens that may create or write (open, openat, creat, fopen, mkstemp), mkdir, write,
// fwrite, fputs, fputc, fsync, rename, renameat, and close and fclose of what a counted open
// returned. A failed open, mkdir or rename does nothing; a failed write writes nothing; a failed
// close closes all the same, as the system's does. Writes fail with ENOSPC, the others with EIO.
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int MAX_FDS = 4096;
constexpr int MAX_STREAMS = 64;
constexpr std::size_t MAX_PATH = 4096;

struct State {
    bool ready = false;
    char root[MAX_PATH] = {};
    std::size_t rootLength = 0;
    long failAt = 0;
    // The record's answers are written on a thread of their own: counts and descriptors are
    // shared between threads.
    std::atomic<long> count = 0;
    char countFile[MAX_PATH] = {};
    std::atomic<bool> trackedFds[MAX_FDS] = {};
    FILE* trackedStreams[MAX_STREAMS] = {};
};

State& state() {
    static State s;
    if (!s.ready) {
        s.ready = true;
        if (const char* root = std::getenv("VANTREL_FAULT_ROOT")) {
            std::snprintf(s.root, sizeof s.root, "%s", root);
            s.rootLength = std::strlen(s.root);
            while (s.rootLength > 1 && s.root[s.rootLength - 1] == '/')
                s.root[--s.rootLength] = '\0';
        }
        if (const char* at = std::getenv("VANTREL_FAULT_AT"))
            s.failAt = std::strtol(at, nullptr, 10);
        if (const char* file = std::getenv("VANTREL_FAULT_COUNT"))
            std::snprintf(s.countFile, sizeof s.countFile, "%s", file);
    }
    return s;
}

template <typename F>
F real(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

// The path made absolute and its "." and ".." taken lexically, as the generator names them.
bool normalised(int dirfd, const char* path, char* out) {
    char joined[2 * MAX_PATH];
    if (path[0] == '/') {
        std::snprintf(joined, sizeof joined, "%s", path);
    } else {
        char base[MAX_PATH];
        if (dirfd == AT_FDCWD) {
            if (getcwd(base, sizeof base) == nullptr)
                return false;
        } else {
            char link[64];
            std::snprintf(link, sizeof link, "/proc/self/fd/%d", dirfd);
            const ssize_t n = readlink(link, base, sizeof base - 1);
            if (n < 0)
                return false;
            base[n] = '\0';
        }
        std::snprintf(joined, sizeof joined, "%s/%s", base, path);
    }
    std::size_t length = 0;
    for (const char* part = joined; *part != '\0';) {
        while (*part == '/')
            ++part;
        const char* end = part;
        while (*end != '\0' && *end != '/')
            ++end;
        const std::size_t size = static_cast<std::size_t>(end - part);
        if (size == 0 || (size == 1 && part[0] == '.')) {
        } else if (size == 2 && part[0] == '.' && part[1] == '.') {
            while (length > 0 && out[length - 1] != '/')
                --length;
            if (length > 0)
                --length;
        } else {
            if (length + size + 2 >= MAX_PATH)
                return false;
            out[length++] = '/';
            std::memcpy(out + length, part, size);
            length += size;
        }
        part = end;
    }
    out[length] = '\0';
    return true;
}

bool counted(int dirfd, const char* path) {
    State& s = state();
    char full[MAX_PATH];
    if (s.rootLength == 0 || path == nullptr || !normalised(dirfd, path, full))
        return false;
    return std::strncmp(full, s.root, s.rootLength) == 0 &&
           (full[s.rootLength] == '/' || full[s.rootLength] == '\0');
}

// Counts one call; true when it is the one to fail.
bool failsNow() {
    State& s = state();
    return ++s.count == s.failAt;
}

bool trackedFd(int fd) {
    return fd >= 0 && fd < MAX_FDS && state().trackedFds[fd];
}

void trackFd(int fd, bool on) {
    if (fd >= 0 && fd < MAX_FDS)
        state().trackedFds[fd] = on;
}

bool trackedStream(FILE* stream) {
    for (FILE* known : state().trackedStreams)
        if (known != nullptr && known == stream)
            return true;
    return false;
}

void trackStream(FILE* stream, bool on) {
    for (FILE*& slot : state().trackedStreams) {
        if (on ? slot == nullptr : slot == stream) {
            slot = on ? stream : nullptr;
            return;
        }
    }
}

bool writes(int flags) {
    return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0;
}

int openCounted(int dirfd, const char* path, int flags, mode_t mode) {
    using OpenAt = int (*)(int, const char*, int, ...);
    static const OpenAt realOpenAt = real<OpenAt>("openat");
    const bool count = writes(flags) && counted(dirfd, path);
    if (count && failsNow()) {
        errno = EIO;
        return -1;
    }
    const int fd = realOpenAt(dirfd, path, flags, mode);
    if (count)
        trackFd(fd, true);
    return fd;
}

mode_t modeArgument(int flags, va_list arguments) {
    return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
}

struct CountWriter {
    ~CountWriter() {
        const State& s = state();
        // The process that ran the generator is the one that counted anything.
        if (s.countFile[0] == '\0' || s.count == 0)
            return;
        using Fopen = FILE* (*)(const char*, const char*);
        if (FILE* file = real<Fopen>("fopen")(s.countFile, "w")) {
            std::fprintf(file, "%ld\n", s.count.load());
            std::fclose(file);
        }
    }
} countWriter;

} // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    return openCounted(AT_FDCWD, path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    return openCounted(AT_FDCWD, path, flags, mode);
}

int openat(int dirfd, const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    return openCounted(dirfd, path, flags, mode);
}

int openat64(int dirfd, const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    return openCounted(dirfd, path, flags, mode);
}

int creat(const char* path, mode_t mode) {
    return openCounted(AT_FDCWD, path, O_WRONLY | O_CREAT | O_TRUNC, mode);
}

int creat64(const char* path, mode_t mode) {
    return openCounted(AT_FDCWD, path, O_WRONLY | O_CREAT | O_TRUNC, mode);
}

static FILE* fopenCounted(const char* name, const char* path, const char* mode) {
    using Fopen = FILE* (*)(const char*, const char*);
    const Fopen realFopen = real<Fopen>(name);
    const bool count = std::strpbrk(mode, "wa+") != nullptr && counted(AT_FDCWD, path);
    if (count && failsNow()) {
        errno = EIO;
        return nullptr;
    }
    FILE* stream = realFopen(path, mode);
    if (count && stream != nullptr)
        trackStream(stream, true);
    return stream;
}

FILE* fopen(const char* path, const char* mode) {
    return fopenCounted("fopen", path, mode);
}

FILE* fopen64(const char* path, const char* mode) {
    return fopenCounted("fopen64", path, mode);
}

int mkstemp(char* pattern) {
    using Mkstemp = int (*)(char*);
    static const Mkstemp realMkstemp = real<Mkstemp>("mkstemp");
    const bool count = counted(AT_FDCWD, pattern);
    if (count && failsNow()) {
        errno = EIO;
        return -1;
    }
    const int fd = realMkstemp(pattern);
    if (count)
        trackFd(fd, true);
    return fd;
}

int mkdir(const char* path, mode_t mode) {
    using Mkdir = int (*)(const char*, mode_t);
    static const Mkdir realMkdir = real<Mkdir>("mkdir");
    if (counted(AT_FDCWD, path) && failsNow()) {
        errno = EIO;
        return -1;
    }
    return realMkdir(path, mode);
}

ssize_t write(int fd, const void* data, size_t size) {
    using Write = ssize_t (*)(int, const void*, size_t);
    static const Write realWrite = real<Write>("write");
    if (trackedFd(fd) && failsNow()) {
        errno = ENOSPC;
        return -1;
    }
    return realWrite(fd, data, size);
}

size_t fwrite(const void* data, size_t size, size_t count, FILE* stream) {
    using Fwrite = size_t (*)(const void*, size_t, size_t, FILE*);
    static const Fwrite realFwrite = real<Fwrite>("fwrite");
    if (trackedStream(stream) && failsNow()) {
        errno = ENOSPC;
        return 0;
    }
    return realFwrite(data, size, count, stream);
}

int fputs(const char* text, FILE* stream) {
    using Fputs = int (*)(const char*, FILE*);
    static const Fputs realFputs = real<Fputs>("fputs");
    if (trackedStream(stream) && failsNow()) {
        errno = ENOSPC;
        return EOF;
    }
    return realFputs(text, stream);
}

int fputc(int c, FILE* stream) {
    using Fputc = int (*)(int, FILE*);
    static const Fputc realFputc = real<Fputc>("fputc");
    if (trackedStream(stream) && failsNow()) {
        errno = ENOSPC;
        return EOF;
    }
    return realFputc(c, stream);
}

int fsync(int fd) {
    using Fsync = int (*)(int);
    static const Fsync realFsync = real<Fsync>("fsync");
    if (trackedFd(fd) && failsNow()) {
        errno = EIO;
        return -1;
    }
    return realFsync(fd);
}

int close(int fd) {
    using Close = int (*)(int);
    static const Close realClose = real<Close>("close");
    const bool count = trackedFd(fd);
    trackFd(fd, false);
    const int result = realClose(fd);
    if (count && failsNow()) {
        errno = EIO;
        return -1;
    }
    return result;
}

int fclose(FILE* stream) {
    using Fclose = int (*)(FILE*);
    static const Fclose realFclose = real<Fclose>("fclose");
    const bool count = trackedStream(stream);
    trackStream(stream, false);
    const int result = realFclose(stream);
    if (count && failsNow()) {
        errno = EIO;
        return EOF;
    }
    return result;
}

int rename(const char* from, const char* to) {
    using Rename = int (*)(const char*, const char*);
    static const Rename realRename = real<Rename>("rename");
    if ((counted(AT_FDCWD, from) || counted(AT_FDCWD, to)) && failsNow()) {
        errno = EIO;
        return -1;
    }
    return realRename(from, to);
}

int renameat(int fromDir, const char* from, int toDir, const char* to) {
    using RenameAt = int (*)(int, const char*, int, const char*);
    static const RenameAt realRenameAt = real<RenameAt>("renameat");
    if ((counted(fromDir, from) || counted(toDir, to)) && failsNow()) {
        errno = EIO;
        return -1;
    }
    return realRenameAt(fromDir, from, toDir, to);
}

} // extern "C"
