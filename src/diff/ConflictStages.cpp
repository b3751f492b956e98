#include "diff/ConflictStages.h"

#include "Git2.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <sys/stat.h>

namespace vantrel {

namespace {

// The line starting at a position, without its line break (a CR before it included).
std::string_view lineAt(std::string_view text, std::size_t at, std::size_t& next) {
    std::size_t end = text.find('\n', at);
    next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos)
        end = text.size();
    std::string_view line = text.substr(at, end - at);
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    return line;
}

std::string markerLine(char mark, std::string_view label) {
    std::string line(7, mark);
    if (!label.empty())
        line.append(" ").append(label);
    return line;
}

std::string libraryError(const git2::Functions& git, std::string_view doing) {
    const git_error* error = git.errorLast();
    std::string why(doing);
    if (error && error->message)
        why.append(": ").append(error->message);
    return why;
}

struct RepositoryFree {
    const git2::Functions* git;
    void operator()(git_repository* repository) const { git->repositoryFree(repository); }
};
struct IndexFree {
    const git2::Functions* git;
    void operator()(git_index* index) const { git->indexFree(index); }
};

} // namespace

bool holdsConflictMarkers(std::string_view text) {
    const std::string markers[] = {markerLine('<', MARK_YOURS), markerLine('|', MARK_BASE),
                                   markerLine('>', MARK_NEW)};
    for (std::size_t at = 0, next = 0; at < text.size(); at = next) {
        const std::string_view line = lineAt(text, at, next);
        // Cheap first look: most lines start with no marker character.
        if (line.size() >= 7 && (line[0] == '<' || line[0] == '|' || line[0] == '>') &&
            std::find(std::begin(markers), std::end(markers), line) != std::end(markers))
            return true;
    }
    return false;
}

Staging stageConflict(const std::string& nativePath, std::string_view base, std::string_view yours,
                      std::string_view theirs, bool write) {
    namespace fs = std::filesystem;
    const git2::Functions* git = git2::functions();
    if (!git)
        return {Staging::Result::Unavailable, git2::problem()};
    std::error_code failed;
    // The folder is made canonical, not the file: a link in the file's place is not followed.
    const fs::path absolute = fs::absolute(fs::path(nativePath), failed);
    const fs::path folder = fs::weakly_canonical(absolute.parent_path(), failed);
    if (failed)
        return {Staging::Result::Outside, "its folder cannot be found: " + failed.message()};
    git_repository* opened = nullptr;
    // Found as git finds it: from the folder up, minding GIT_DIR and GIT_CEILING_DIRECTORIES.
    if (git->repositoryOpenExt(&opened, folder.c_str(), GIT_REPOSITORY_OPEN_FROM_ENV, nullptr) < 0)
        return {Staging::Result::NoWorkTree, "no git work tree holds it"};
    const std::unique_ptr<git_repository, RepositoryFree> repository(opened, RepositoryFree{git});
    const char* workdir = git->repositoryWorkdir(opened);
    if (git->repositoryIsBare(opened) || !workdir)
        return {Staging::Result::NoWorkTree, "its repository is bare, with no work tree"};
    const fs::path root = fs::weakly_canonical(fs::path(workdir), failed);
    const fs::path file = folder / absolute.filename();
    const fs::path relative = file.lexically_relative(root);
    const std::string inside = relative.generic_string();
    if (failed || relative.empty() || inside == "." || inside.starts_with("../") ||
        inside == ".." || inside == ".git" || inside.starts_with(".git/"))
        return {Staging::Result::Outside, "it is outside the work tree of " + root.string()};
    struct stat status {};
    if (::lstat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return {Staging::Result::Outside, "it is no plain file (a link, or gone)"};
    if (!write) {
        // What a write would meet: another program holding the index.
        const fs::path lock = fs::path(git->repositoryPath(opened)) / "index.lock";
        if (fs::exists(lock, failed))
            return {Staging::Result::Failed, "the index is locked (" + lock.string() + ")"};
        return {Staging::Result::Staged, {}};
    }
    git_index* openedIndex = nullptr;
    if (git->repositoryIndex(&openedIndex, opened) < 0)
        return {Staging::Result::Failed, libraryError(*git, "cannot open the index")};
    const std::unique_ptr<git_index, IndexFree> index(openedIndex, IndexFree{git});
    // Another program may have changed the index since it was opened.
    if (git->indexRead(openedIndex, 1) < 0)
        return {Staging::Result::Failed, libraryError(*git, "cannot read the index")};
    git_index_entry entries[3]{};
    const std::string_view texts[3] = {base, yours, theirs};
    for (int stage = 0; stage < 3; ++stage) {
        git_index_entry& entry = entries[stage];
        if (git->blobCreateFromBuffer(&entry.id, opened, texts[stage].data(), texts[stage].size()) <
            0)
            return {Staging::Result::Failed, libraryError(*git, "cannot store a stage's text")};
        entry.path = inside.c_str();
        entry.mode = (status.st_mode & S_IXUSR) ? GIT_FILEMODE_BLOB_EXECUTABLE : GIT_FILEMODE_BLOB;
        entry.file_size = static_cast<std::uint32_t>(texts[stage].size());
    }
    if (git->indexConflictAdd(openedIndex, &entries[0], &entries[1], &entries[2]) < 0)
        return {Staging::Result::Failed, libraryError(*git, "cannot add the stages")};
    if (git->indexWrite(openedIndex) < 0)
        return {Staging::Result::Failed, libraryError(*git, "cannot write the index")};
    return {Staging::Result::Staged, {}};
}

} // namespace vantrel
