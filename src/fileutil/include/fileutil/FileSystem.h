#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

// A file's last-write time as the platform delivers it (two 32-bit halves, low half first).
struct FileTime {
    std::uint32_t low = 0;
    std::uint32_t high = 0;
};

// Paths inside the engine are joined with "\"; at the file-system boundary every backslash
// becomes the platform's separator ("/" on POSIX, unchanged on Windows).
std::string nativePath(std::string_view path);

// The folder and the name joined with "\". An empty folder stands for the working folder, so the
// name stays relative instead of starting at the root.
std::string joinPath(std::string_view folder, std::string_view name);

// What a native path names itself, a link not followed; Unknown when the platform cannot tell
// (no access, say).
enum class EntryKind { Missing, Link, Folder, Other, Unknown };
EntryKind entryKindOf(const std::string& nativePath);

bool queryFileTime(std::string_view path, FileTime* time);
bool directoryExists(std::string_view path);
// Creates the folder with every missing parent; silent in every case.
void createDirectoryPath(std::string_view path);

// Why a file cannot be written at a native path, as far as the file system tells afterwards: a
// folder or file in the way, or the system's reason for the nearest folder that exists. Empty
// when nothing is found.
std::string whyNotWritable(const std::string& nativePath);

// Whether folder is path itself or a folder that path lies in, both taken as written (".." and
// "." resolved as text, relative paths from the working folder).
bool isFolderOrAbove(const std::string& folder, const std::string& path);

} // namespace vantrel
