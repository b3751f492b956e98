#pragma once

#include "fileutil/FileIdentity.h"

#include <cstdio>
#include <optional>
#include <string>

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
    std::optional<FileIdentity> identity; // of a plain file
};

// Looks at the file at a native path without following a link in its place; false when
// nothing is there.
bool inspectExisting(const std::string& nativePath, ExistingFile& existing);
// Creates the file at a native path for writing, exclusively; when something is there already
// it is not touched but inspected, and nothing is opened. likelyThere, when the caller expects
// something there (a run over an earlier run's files), looks before it tries to create.
std::FILE* createOrInspect(const std::string& nativePath, ExistingFile& existing,
                           bool likelyThere = false);

} // namespace vantrel
