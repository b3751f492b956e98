#include "fileutil/FileIdentity.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace vantrel {

std::optional<FileIdentity> fileIdentity(const std::string& nativePath) {
#ifdef _WIN32
    (void)nativePath;
    return std::nullopt;
#else
    struct stat info {};
    if (::stat(nativePath.c_str(), &info) != 0)
        return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                        static_cast<std::uint64_t>(info.st_ino)};
#endif
}

} // namespace vantrel
