#include "diff/TextMerge.h"

#include "Git2.h"

namespace vantrel {

std::optional<MergedText> mergeTexts(std::string_view base, std::string_view yours,
                                     std::string_view theirs, std::string_view yoursLabel,
                                     std::string_view theirsLabel, std::string_view baseLabel) {
    // The library takes a text holding a NUL byte for binary and merges nothing of it.
    for (std::string_view text : {base, yours, theirs})
        if (text.find('\0') != std::string_view::npos)
            return std::nullopt;
    const git2::Functions* git = git2::functions();
    if (!git)
        return std::nullopt;
    const auto input = [](std::string_view text) {
        git_merge_file_input side{};
        side.version = GIT_MERGE_FILE_INPUT_VERSION;
        side.ptr = text.data();
        side.size = text.size();
        return side;
    };
    const git_merge_file_input ancestor = input(base);
    const git_merge_file_input ours = input(yours);
    const git_merge_file_input their = input(theirs);
    const std::string oursName(yoursLabel);
    const std::string theirsName(theirsLabel);
    const std::string baseName(baseLabel);
    git_merge_file_options options{};
    options.version = GIT_MERGE_FILE_OPTIONS_VERSION;
    options.our_label = oursName.c_str();
    options.their_label = theirsName.c_str();
    if (!baseName.empty()) {
        options.ancestor_label = baseName.c_str();
        options.flags = GIT_MERGE_FILE_STYLE_DIFF3;
    }
    git_merge_file_result result{};
    if (git->mergeFile(&result, &ancestor, &ours, &their, &options) != 0)
        return std::nullopt;
    MergedText merged;
    merged.clean = result.automergeable != 0;
    if (result.ptr)
        merged.text.assign(result.ptr, result.len);
    git->mergeFileResultFree(&result);
    return merged;
}

std::string mergeUnavailable() {
    return git2::problem();
}

} // namespace vantrel
