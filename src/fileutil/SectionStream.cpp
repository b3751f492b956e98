#include "fileutil/SectionStream.h"

#include <algorithm>

namespace vantrel {

SectionStream::SectionStream(std::FILE* file, std::string_view name, std::int32_t size,
                             std::int32_t offset)
    : m_offset(offset) {
    m_file = FileHandle(file, FileCloser{false});
    keepPath(name);
    m_size = size;
}

SectionStream::~SectionStream() {
    close();
}

int SectionStream::close() {
    // A borrowed file stays open for its owner; one opened through this window is closed.
    m_offset = 0;
    return release();
}

int SectionStream::atEnd() {
    return m_position >= m_size ? 1 : 0;
}

int SectionStream::seek(std::int32_t offset, int origin) {
    std::int64_t target = -1;
    switch (origin) {
    case 0:
        target = offset;
        break;
    case 1:
        target = static_cast<std::int64_t>(m_position) + offset;
        break;
    case 2:
        if (offset <= 0) {
            target = static_cast<std::int64_t>(m_size) + offset;
        }
        break;
    default:
        break;
    }
    if (target < 0 || target > m_size) {
        return -1;
    }
    m_position = static_cast<std::int32_t>(target);
    return 0;
}

int SectionStream::putChar(int /*c*/) {
    return 0;
}

int SectionStream::write(const void* /*data*/, int /*elementSize*/, int /*count*/) {
    return 0;
}

bool SectionStream::seekShared() {
    return m_file != nullptr &&
           std::fseek(m_file.get(), static_cast<long>(m_offset) + m_position, SEEK_SET) == 0;
}

void SectionStream::followShared() {
    const long shared = std::ftell(m_file.get());
    if (shared >= 0) {
        m_position = static_cast<std::int32_t>(shared - m_offset);
    }
}

int SectionStream::getChar() {
    if (m_position >= m_size || !seekShared()) {
        return -1;
    }
    const int c = std::fgetc(m_file.get());
    if (c == EOF) {
        return -1; // the file is shorter than the window
    }
    ++m_position;
    return c;
}

char* SectionStream::getString(char* buffer, int n) {
    if (m_position >= m_size || buffer == nullptr || n <= 0 || !seekShared()) {
        return nullptr;
    }
    // Room for the rest of the window plus the terminating NUL, never more than n.
    const std::int64_t limit = std::min<std::int64_t>(n, std::int64_t{m_size} - m_position + 1);
    char* result = std::fgets(buffer, static_cast<int>(limit), m_file.get());
    followShared();
    return result;
}

int SectionStream::read(void* buffer, int elementSize, int count) {
    if (m_position >= m_size || buffer == nullptr || elementSize <= 0 || count <= 0 ||
        !seekShared()) {
        return 0;
    }
    const std::int64_t rest = std::int64_t{m_size} - m_position;
    const std::int64_t wanted = std::int64_t{elementSize} * count;
    int result = 0;
    if (wanted > rest) {
        const std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(rest), m_file.get());
        result = static_cast<int>(got / static_cast<std::size_t>(elementSize));
    } else {
        result = static_cast<int>(std::fread(buffer, static_cast<std::size_t>(elementSize),
                                             static_cast<std::size_t>(count), m_file.get()));
    }
    followShared();
    return result;
}

} // namespace vantrel
