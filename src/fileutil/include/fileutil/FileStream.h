#pragma once

#include "fileutil/FileHandle.h"
#include "fileutil/Stream.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace vantrel {

// Longest path a stream keeps for path(); longer paths are still opened in full.
constexpr std::size_t FS_PATH_LENGTH = 255;
// copyTo moves data in blocks of this many bytes.
constexpr int FS_COPY_BLOCK = 1024;

// A binary file; closed when destroyed. Move-only, so one file has exactly one owner.
class FileStream : public Stream {
public:
    FileStream() = default;
    ~FileStream() override;
    FileStream(FileStream&& other) noexcept;
    FileStream& operator=(FileStream&& other) noexcept;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    bool openWrite(std::string_view path) override;
    bool openRead(std::string_view path) override;
    int close() override;
    void readAll(std::unique_ptr<char[]>& buffer, std::int32_t& length) override;
    void freeBuffer(std::unique_ptr<char[]> buffer) override;
    int atEnd() override;
    int seek(std::int32_t offset, int origin) override;
    int tell() override;
    int putChar(int c) override;
    int getChar() override;
    int putString(const char* text) override;
    char* getString(char* buffer, int n) override;
    int read(void* buffer, int elementSize, int count) override;
    int write(const void* data, int elementSize, int count) override;
    std::int32_t size() const override { return m_size; }
    FileTime fileTime() const override { return m_fileTime; }
    std::string_view path() const override { return m_path; }
    bool isClosed() const override { return m_file == nullptr; }
    void spareOperation(int value) override;
    std::unique_ptr<SectionStream> openSection(std::string_view name, std::int32_t size,
                                               std::int32_t offset) override;

    // Copies count bytes (-1: the rest of the file) into destination; returns the bytes written.
    // Stops at the first short read or short write.
    int copyTo(Stream& destination, int count);

protected:
    // Opens the native form of path; a folder never opens as a file.
    bool openFile(std::string_view path, const char* mode);
    void keepPath(std::string_view path);
    // Drops the file (closing it only when owned) and clears path, size and position.
    int release();

    std::string m_path;
    FileHandle m_file;
    std::int32_t m_size = 0;
    std::int32_t m_position = 0; // bytes consumed by copyTo
    FileTime m_fileTime;
};

} // namespace vantrel
