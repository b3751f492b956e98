#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vantrel {

// What makes a file the same file whatever path names it (device and file number here).
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t file = 0;

    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file at a native path, following links; none when there is no such file
// or the platform cannot tell (always, where it has no file numbers).
std::optional<FileIdentity> fileIdentity(const std::string& nativePath);

} // namespace vantrel
