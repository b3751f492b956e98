#include "fileutil/FileStream.h"

#include "fileutil/SectionStream.h"

#include <array>
#include <climits>
#include <sys/stat.h>
#include <utility>

namespace vantrel {

FileStream::~FileStream() {
    release();
}

FileStream::FileStream(FileStream&& other) noexcept
    : Stream()
    , m_path(std::move(other.m_path))
    , m_file(std::move(other.m_file))
    , m_size(other.m_size)
    , m_position(other.m_position)
    , m_fileTime(other.m_fileTime) {
    other.m_path.clear();
    other.m_size = 0;
    other.m_position = 0;
}

FileStream& FileStream::operator=(FileStream&& other) noexcept {
    if (this != &other) {
        release();
        m_path = std::move(other.m_path);
        m_file = std::move(other.m_file);
        m_size = other.m_size;
        m_position = other.m_position;
        m_fileTime = other.m_fileTime;
        other.m_path.clear();
        other.m_size = 0;
        other.m_position = 0;
    }
    return *this;
}

void FileStream::keepPath(std::string_view path) {
    m_path = path.substr(0, FS_PATH_LENGTH);
}

bool FileStream::openFile(std::string_view path, const char* mode) {
    // The whole path is opened, even when path() keeps only its first characters.
    const std::string native = nativePath(path);
    m_file = vantrel::openFile(native, mode);
    if (m_file == nullptr) {
        return false;
    }
    struct stat info {};
    if (::fstat(fileno(m_file.get()), &info) != 0 || S_ISDIR(info.st_mode)) {
        return false;
    }
    return true;
}

int FileStream::release() {
    int result = 0;
    if (m_file != nullptr) {
        if (!closeFile(m_file)) {
            result = -1; // buffered data could not be written
        }
    }
    m_path.clear();
    m_size = 0;
    m_position = 0;
    return result;
}

bool FileStream::openWrite(std::string_view path) {
    close();
    keepPath(path);
    if (!openFile(path, "wb")) {
        close();
        return false;
    }
    return true;
}

bool FileStream::openRead(std::string_view path) {
    close();
    keepPath(path);
    queryFileTime(path, &m_fileTime);
    if (!openFile(path, "rb")) {
        close();
        return false;
    }
    std::FILE* file = m_file.get();
    long length = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        length = std::ftell(file);
    }
    // A length that does not fit the size field would make a copy silently short.
    if (length < 0 || length > INT32_MAX || std::fseek(file, 0, SEEK_SET) != 0) {
        close();
        return false;
    }
    m_size = static_cast<std::int32_t>(length);
    return true;
}

int FileStream::close() {
    return release();
}

void FileStream::readAll(std::unique_ptr<char[]>& buffer, std::int32_t& length) {
    buffer.reset();
    length = 0;
    if (m_file == nullptr || m_size <= 0 || std::fseek(m_file.get(), 0, SEEK_SET) != 0) {
        return;
    }
    auto data = std::make_unique<char[]>(static_cast<std::size_t>(m_size) + 1);
    const std::size_t got =
        std::fread(data.get(), 1, static_cast<std::size_t>(m_size), m_file.get());
    data[got] = '\0';
    buffer = std::move(data);
    length = static_cast<std::int32_t>(got);
}

void FileStream::freeBuffer(std::unique_ptr<char[]> buffer) {
    buffer.reset();
}

int FileStream::atEnd() {
    return m_file == nullptr ? 1 : std::feof(m_file.get());
}

int FileStream::seek(std::int32_t offset, int origin) {
    static constexpr std::array<int, 3> origins{SEEK_SET, SEEK_CUR, SEEK_END};
    if (m_file == nullptr || origin < 0 || origin > 2) {
        return -1;
    }
    return std::fseek(m_file.get(), offset, origins[static_cast<std::size_t>(origin)]) == 0 ? 0
                                                                                            : -1;
}

int FileStream::tell() {
    return m_file == nullptr ? -1 : static_cast<int>(std::ftell(m_file.get()));
}

int FileStream::putChar(int c) {
    return m_file == nullptr ? EOF : std::fputc(c, m_file.get());
}

int FileStream::getChar() {
    return m_file == nullptr ? -1 : std::fgetc(m_file.get());
}

int FileStream::putString(const char* text) {
    return m_file == nullptr || text == nullptr ? EOF : std::fputs(text, m_file.get());
}

char* FileStream::getString(char* buffer, int n) {
    if (m_file == nullptr || buffer == nullptr || n <= 0) {
        return nullptr;
    }
    return std::fgets(buffer, n, m_file.get());
}

int FileStream::read(void* buffer, int elementSize, int count) {
    if (m_file == nullptr || buffer == nullptr || elementSize <= 0 || count <= 0) {
        return 0;
    }
    return static_cast<int>(std::fread(buffer, static_cast<std::size_t>(elementSize),
                                       static_cast<std::size_t>(count), m_file.get()));
}

int FileStream::write(const void* data, int elementSize, int count) {
    if (m_file == nullptr || data == nullptr || elementSize <= 0 || count <= 0) {
        return 0;
    }
    return static_cast<int>(std::fwrite(data, static_cast<std::size_t>(elementSize),
                                        static_cast<std::size_t>(count), m_file.get()));
}

void FileStream::spareOperation(int /*value*/) {}

std::unique_ptr<SectionStream> FileStream::openSection(std::string_view name, std::int32_t size,
                                                       std::int32_t offset) {
    return std::make_unique<SectionStream>(m_file.get(), name, size == -1 ? m_size : size, offset);
}

int FileStream::copyTo(Stream& destination, int count) {
    if (count < 0) {
        count = m_size - m_position;
    }
    if (count <= 0 || m_file == nullptr) {
        return 0;
    }
    std::array<char, FS_COPY_BLOCK> block{};
    int total = 0;
    while (count > 0) {
        const int wanted = count < FS_COPY_BLOCK ? count : FS_COPY_BLOCK;
        const int got = static_cast<int>(
            std::fread(block.data(), 1, static_cast<std::size_t>(wanted), m_file.get()));
        if (got <= 0) {
            break;
        }
        m_position += got;
        count -= got;
        const int written = destination.write(block.data(), 1, got);
        if (written > 0) {
            total += written;
        }
        if (written < got || got < wanted) {
            break;
        }
    }
    return total;
}

} // namespace vantrel
