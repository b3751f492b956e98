#include "diff/TextDiff.h"

#include "Git2.h"

namespace vantrel {

std::optional<std::string> unifiedDiff(std::string_view oldText, std::string_view newText,
                                       std::string_view oldLabel, std::string_view newLabel) {
    if (oldText == newText)
        return std::string();
    const git2::Functions* git = git2::functions();
    if (!git)
        return std::nullopt;
    const std::string oldName(oldLabel);
    const std::string newName(newLabel);
    git_patch* patch = nullptr;
    if (git->patchFromBuffers(&patch, oldText.data(), oldText.size(), oldName.c_str(),
                              newText.data(), newText.size(), newName.c_str(), nullptr) != 0)
        return std::nullopt;
    git_buf text = GIT_BUF_INIT;
    std::optional<std::string> diff;
    if (git->patchToBuf(&text, patch) == 0)
        diff.emplace(text.ptr, text.size);
    git->bufDispose(&text);
    git->patchFree(patch);
    return diff;
}

} // namespace vantrel
