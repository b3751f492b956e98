#pragma once

#include "fileutil/FileStream.h"

#include <cstdint>
#include <cstdio>
#include <string_view>

namespace vantrel {

// A read-only window of size() bytes at offset() in a file that a FileStream has open. The file
// is borrowed: the window must not outlive the stream that opened it, and never closes it.
// Operations not overridden here act on the shared file as a whole, not on the window.
class SectionStream : public FileStream {
public:
    SectionStream(std::FILE* file, std::string_view name, std::int32_t size, std::int32_t offset);
    ~SectionStream() override;

    int close() override;
    int atEnd() override;
    // Moves only within 0..size(); -1 and the position unchanged otherwise.
    int seek(std::int32_t offset, int origin) override;
    int tell() override { return m_position; }
    int putChar(int c) override;
    int getChar() override;
    char* getString(char* buffer, int n) override;
    int read(void* buffer, int elementSize, int count) override;
    int write(const void* data, int elementSize, int count) override;
    bool isClosed() const override { return true; }

    std::int32_t offset() const { return m_offset; }

private:
    // Puts the shared file at the window's current position.
    bool seekShared();
    void followShared();

    std::int32_t m_offset = 0;
};

} // namespace vantrel
