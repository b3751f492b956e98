#include "fileutil/TextFile.h"

#include "fileutil/FileHandle.h"

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {

void normaliseText(std::string& text) {
    constexpr std::string_view UTF8_BOM = "\xEF\xBB\xBF";
    if (text.starts_with(UTF8_BOM))
        text.erase(0, UTF8_BOM.size());
    // Most files have no carriage return at all and are taken as they are.
    std::size_t write = text.find('\r');
    if (write == std::string::npos)
        return;
    for (std::size_t read = write; read < text.size(); ++read) {
        if (text[read] == '\r' && read + 1 < text.size() && text[read + 1] == '\n')
            continue;
        text[write++] = text[read];
    }
    text.resize(write);
}

std::optional<std::string> readFileBytes(const std::string& nativePath, std::size_t extraCapacity) {
    FileHandle file = openFile(nativePath, "rb");
    if (!file)
        return std::nullopt;
    // A folder opens as an empty stream on some platforms; it is no file to read.
    struct stat info {};
    if (::fstat(fileno(file.get()), &info) != 0)
        return std::nullopt;
    if (S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        return std::nullopt;
    }
    // A regular file is read in one block of its size, one byte more to meet its end and the
    // extra capacity besides: no copies, no buffer twice as large as the text. Anything else is
    // read in blocks that double.
    std::string text;
    std::size_t used = 0;
    std::size_t block = 65536;
    if (S_ISREG(info.st_mode) && info.st_size > 0)
        block = static_cast<std::size_t>(info.st_size) + 1 + extraCapacity;
    for (;;) {
        text.resize(used + block);
        const std::size_t count = std::fread(text.data() + used, 1, block, file.get());
        used += count;
        if (count < block)
            break;
        block = used;
    }
    if (std::ferror(file.get()))
        return std::nullopt;
    text.resize(used);
    return text;
}

std::optional<std::string> readTextFile(const std::string& nativePath, std::size_t extraCapacity) {
    std::optional<std::string> text = readFileBytes(nativePath, extraCapacity);
    if (text)
        normaliseText(*text);
    return text;
}

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

} // namespace vantrel
