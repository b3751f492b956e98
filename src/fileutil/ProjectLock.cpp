#include "fileutil/ProjectLock.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

bool lock(int fd, int how) {
    int result = 0;
    do
        result = ::flock(fd, how | LOCK_NB);
    while (result != 0 && errno == EINTR);
    return result == 0;
}

} // namespace

ProjectLock::ProjectLock(ProjectLock&& other) noexcept
    : m_folders(std::move(other.m_folders)) {
    other.m_folders.clear();
}

ProjectLock& ProjectLock::operator=(ProjectLock&& other) noexcept {
    std::swap(m_folders, other.m_folders);
    return *this;
}

ProjectLock::~ProjectLock() {
    for (int fd : m_folders)
        ::close(fd);
}

std::optional<ProjectLock> ProjectLock::take(const std::string& projectFolder) {
    std::error_code error;
    fs::path deepest = fs::absolute(projectFolder.empty() ? "." : projectFolder, error);
    if (error)
        return ProjectLock();
    deepest = deepest.lexically_normal();
    while (!fs::is_directory(deepest, error) && deepest.has_relative_path())
        deepest = deepest.parent_path();
    // Through links, as every run sees the same folders whatever path it names them by.
    deepest = fs::canonical(deepest, error);
    if (error)
        return ProjectLock();
    std::vector<fs::path> chain;
    for (fs::path folder = deepest;; folder = folder.parent_path()) {
        chain.push_back(folder);
        if (!folder.has_relative_path())
            break;
    }
    ProjectLock held;
    for (auto folder = chain.rbegin(); folder != chain.rend(); ++folder) {
        const int fd = ::open(folder->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            continue; // a folder the run cannot open: it cannot write there either
        held.m_folders.push_back(fd);
        if (!lock(fd, *folder == deepest ? LOCK_EX : LOCK_SH))
            return std::nullopt;
    }
    return held;
}

} // namespace vantrel
