#pragma once

#include <string>

namespace vantrel {

// What an output that stands over the disk (the disk's own, or a preview of it) can tell beside
// writing, so that a run need not read or remake a file it can show is unchanged.
class DiskView {
public:
    virtual ~DiskView() = default;

    // Whether a plain file at a native path (no link in its own place) may be left as it is
    // without being opened: it lies within the location, and no choice keeps it otherwise.
    virtual bool mayLeaveUnopened(const std::string& nativePath) = 0;
    // The bytes the file opened last held, when the output read them to compare; null otherwise.
    virtual const std::string* openedFileBytes() const { return nullptr; }
};

} // namespace vantrel
