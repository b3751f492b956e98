#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// What stands in a generated file's place before it is written.
struct ExistingFile {
    enum class Kind {
        None,    // nothing usable: a folder, or nothing at all
        Regular, // a plain file: its bytes and permission bits
        Link,    // a link: its target's bytes when it can be read
        Special, // a device or pipe: never read
    };
    Kind kind = Kind::None;
    std::optional<std::string> bytes;
    unsigned permissions = 0;
};

// The bytes of a text file as the disk holds them: "\n" becomes the platform's line end.
std::string platformText(std::string_view text);

// Looks at the file at a native path without following a link in its place; false when
// nothing is there.
bool inspectExisting(const std::string& nativePath, ExistingFile& existing);
// Creates the file at a native path for writing, exclusively; when something is there already
// it is not touched but inspected, and nothing is opened.
std::FILE* createOrInspect(const std::string& nativePath, ExistingFile& existing);

// Replaces a plain file with new bytes: a temporary file in its folder with its permission bits
// is written and renamed over it, so a failure leaves the old file whole and no temporary one.
bool replaceFile(const std::string& nativePath, std::string_view bytes, unsigned permissions);
// Writes new bytes through whatever stands in the place (a link followed): a plain file it
// leads to is replaced as replaceFile does, anything else (a device, a pipe) written from empty.
bool writeThrough(const std::string& nativePath, std::string_view bytes);

} // namespace vantrel
