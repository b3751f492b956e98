#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace vantrel {

// Closes a file it owns; a window onto another stream's file borrows it and never closes it.
struct FileCloser {
    bool owns = true;
    void operator()(std::FILE* file) const {
        if (owns && file != nullptr)
            std::fclose(file);
    }
};

// The one owner of an open C-library file: closed when the handle goes, move-only.
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Opens the file at a native path in a C-library mode ("rb", "wb", ...); empty on failure.
inline FileHandle openFile(const std::string& nativePath, const char* mode) {
    return FileHandle(std::fopen(nativePath.c_str(), mode));
}

// Closes the file and says whether everything written reached it; false for an empty handle.
inline bool closeFile(FileHandle& handle) {
    const bool owns = handle.get_deleter().owns;
    std::FILE* file = handle.release();
    return file != nullptr && (!owns || std::fclose(file) == 0);
}

} // namespace vantrel
