#include "RecordingLook.h"

#include <dirent.h>
#include <filesystem>
#include <sys/stat.h>

namespace vantrel::recording {

Seen look(const std::string& nativePath) {
    struct stat info {};
    if (::lstat(nativePath.c_str(), &info) != 0)
        return {};
    if (!S_ISREG(info.st_mode))
        return {Place::Other, 0, 0, {}};
    Seen seen{Place::File,
              static_cast<std::uint64_t>(info.st_size),
              0,
              {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)}};
#ifdef __linux__
    seen.changed = std::int64_t{info.st_ctim.tv_sec} * 1'000'000'000 + info.st_ctim.tv_nsec;
#endif
    return seen;
}

// Whether what stands at a path is judged by its bytes: a plain file, or a link inside the
// location that leads to one. Anything else (a folder, a link leading out or nowhere, a device)
// is left to the inner output, which writes it as on a first run or refuses it.
bool judgedByBytes(const Seen& seen, const std::string& location, const std::string& nativePath) {
    if (seen.place == Place::File)
        return true;
    if (seen.place != Place::Other)
        return false;
    namespace fs = std::filesystem;
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(nativePath, error)) ||
        !fs::is_regular_file(fs::status(nativePath, error)))
        return false;
    const fs::path target = fs::canonical(nativePath, error);
    const fs::path inside = fs::canonical(location.empty() ? "." : location, error);
    if (error)
        return false;
    const fs::path relative = target.lexically_relative(inside);
    return !relative.empty() && *relative.begin() != "..";
}

// The names in a folder that end in a suffix; none when it cannot be listed.
std::unordered_set<std::string> namesEndingIn(const std::string& folder, std::string_view suffix) {
    std::unordered_set<std::string> names;
    if (DIR* listing = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(listing))
            if (std::string_view(entry->d_name).ends_with(suffix))
                names.emplace(entry->d_name);
        ::closedir(listing);
    }
    return names;
}

// Whether what the disk says of a recorded file shows it as the record was written: the record
// was written after the file, and any change since would show a later time. A time in whole
// seconds comes from a file system that keeps no finer one, where a change made within the
// record's second would not show.
bool untouchedSince(const Manifest& record, std::span<const Manifest::Entry> entries,
                    const Seen& seen) {
    constexpr std::int64_t SECOND = 1'000'000'000;
    if (entries.size() != 1)
        return false;
    const Manifest::Entry& entry = entries.front();
    return entry.state == Manifest::State::Generated && entry.held && record.writtenAt > 0 &&
           seen.place == Place::File && seen.changed > 0 && seen.changed % SECOND != 0 &&
           seen.changed < record.writtenAt && seen.size == entry.size;
}

bool isConflict(const Manifest::Entry& entry) {
    return entry.state == Manifest::State::Conflict;
}

// The hash that proves what this program wrote in a file kept for a conflict.
ContentHash provingHash(std::span<const Manifest::Entry> entries, ContentHash otherwise) {
    for (const Manifest::Entry& entry : entries)
        if (entry.state != Manifest::State::Gone)
            return entry.hash;
    return entries.empty() ? otherwise : entries.front().hash;
}

} // namespace vantrel::recording
