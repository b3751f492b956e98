#include "record/Prune.h"

#include "Descriptor.h"
#include "fileutil/TextFile.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace vantrel {
namespace {

// The folder of path and its last name.
std::pair<std::string_view, std::string> split(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return {{}, std::string(path)};
    return {path.substr(0, slash), std::string(path.substr(slash + 1))};
}

// The folder at path below the project folder, each name on the way opened without following a
// link: a link anywhere leaves it closed.
Descriptor openFolder(const std::string& projectFolder, std::string_view path) {
    Descriptor at(::open(projectFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    while (at && !path.empty()) {
        const std::size_t slash = path.find('/');
        const std::string name(path.substr(0, slash));
        path.remove_prefix(slash == std::string_view::npos ? path.size() : slash + 1);
        at = Descriptor(
            ::openat(at.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    }
    return at;
}

} // namespace

PruneFind pruneFile(const std::string& projectFolder, std::string_view path,
                    const std::vector<ContentHash>& recorded, bool remove) {
    const auto [folderPath, name] = split(path);
    const Descriptor folder = openFolder(projectFolder, folderPath);
    if (!folder)
        return errno == ENOENT ? PruneFind::Missing : PruneFind::Other;
    struct stat info {};
    if (::fstatat(folder.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? PruneFind::Missing : PruneFind::Other;
    if (!S_ISREG(info.st_mode))
        return PruneFind::Other;
    const Descriptor file(::openat(folder.get(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    std::string bytes;
    if (!file || !readAll(file.get(), bytes, static_cast<std::size_t>(info.st_size)))
        return PruneFind::Other;
    if (std::find(recorded.begin(), recorded.end(), contentHash(bytes)) == recorded.end())
        return PruneFind::Edited;
    if (remove && ::unlinkat(folder.get(), name.c_str(), 0) != 0)
        return PruneFind::Failed;
    return PruneFind::AsRecorded;
}

std::optional<std::vector<std::string>> namesInFolder(const std::string& projectFolder,
                                                      std::string_view path) {
    Descriptor folder = openFolder(projectFolder, path);
    if (!folder)
        return std::nullopt;
    DIR* listing = ::fdopendir(folder.get());
    if (!listing)
        return std::nullopt;
    folder.release(); // closedir closes it
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    ::closedir(listing);
    return names;
}

bool removeEmptyFolder(const std::string& projectFolder, std::string_view path) {
    const auto [folderPath, name] = split(path);
    const Descriptor folder = openFolder(projectFolder, folderPath);
    struct stat info {};
    // A link in the folder's own place is no folder of the record's: left alone.
    return folder && ::fstatat(folder.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISDIR(info.st_mode) && ::unlinkat(folder.get(), name.c_str(), AT_REMOVEDIR) == 0;
}

} // namespace vantrel
