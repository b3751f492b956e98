#pragma once

// What the recording output looks at on the disk, shared by its source files.

#include "record/Manifest.h"

#include "fileutil/FileIdentity.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>

namespace vantrel::recording {

enum class Place { Missing, File, Other };

// What stands at a path, without following a link in its place.
struct Seen {
    Place place = Place::Missing;
    std::uint64_t size = 0;
    std::int64_t changed = 0; // the change time, as fileClockNow tells it; 0: not known
    FileIdentity identity;
};

Seen look(const std::string& nativePath);
// Whether what stands at a path is judged by its bytes: a plain file, or a link inside the
// location that leads to one. Anything else (a folder, a link leading out or nowhere, a device)
// is left to the inner output, which writes it as on a first run or refuses it.
bool judgedByBytes(const Seen& seen, const std::string& location, const std::string& nativePath);

// The names in a folder that end in a suffix; none when it cannot be listed.
std::unordered_set<std::string> namesEndingIn(const std::string& folder, std::string_view suffix);

// Whether what the disk says of a recorded file shows it as the record was written: the record
// was written after the file, and any change since would show a later time. A time in whole
// seconds comes from a file system that keeps no finer one, where a change made within the
// record's second would not show.
bool untouchedSince(const Manifest& record, std::span<const Manifest::Entry> entries,
                    const Seen& seen);

bool isConflict(const Manifest::Entry& entry);

// The hash that proves what this program wrote in a file kept for a conflict.
ContentHash provingHash(std::span<const Manifest::Entry> entries, ContentHash otherwise);

} // namespace vantrel::recording
