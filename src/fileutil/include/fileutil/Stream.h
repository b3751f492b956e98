#pragma once

#include "fileutil/FileSystem.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace vantrel {

class SectionStream;

// A binary stream over a buffered file. Results follow the standard file functions: -1 (end of
// file), a null pointer or a short count on failure; nothing is ever shown to the user here.
class Stream {
public:
    virtual ~Stream() = default;

    // Creates the file or empties an existing one.
    virtual bool openWrite(std::string_view path) = 0;
    // Records the file's last-write time and its length.
    virtual bool openRead(std::string_view path) = 0;
    // 0, or -1 when the file could not be flushed and closed (data may be lost).
    virtual int close() = 0;
    // The whole file plus a terminating NUL; null and 0 when there is nothing to read.
    virtual void readAll(std::unique_ptr<char[]>& buffer, std::int32_t& length) = 0;
    virtual void freeBuffer(std::unique_ptr<char[]> buffer) = 0;
    virtual int atEnd() = 0;
    // origin: 0 from the start, 1 from the current position, 2 from the end. 0 on success.
    virtual int seek(std::int32_t offset, int origin) = 0;
    virtual int tell() = 0;
    virtual int putChar(int c) = 0;
    virtual int getChar() = 0;
    virtual int putString(const char* text) = 0;
    // Up to n - 1 characters, stopping after a line feed; null at the end.
    virtual char* getString(char* buffer, int n) = 0;
    virtual int read(void* buffer, int elementSize, int count) = 0;
    virtual int write(const void* data, int elementSize, int count) = 0;
    virtual std::int32_t size() const = 0;
    virtual FileTime fileTime() const = 0;
    virtual std::string_view path() const = 0;
    virtual bool isClosed() const = 0;
    virtual void spareOperation(int value) = 0;
    // A read-only window of this stream's open file; size -1 takes the whole stream.
    virtual std::unique_ptr<SectionStream> openSection(std::string_view name, std::int32_t size,
                                                       std::int32_t offset) = 0;

protected:
    Stream() = default;
    Stream(const Stream&) = default;
    Stream& operator=(const Stream&) = default;
};

} // namespace vantrel
