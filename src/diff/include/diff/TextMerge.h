#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// The outcome of merging two changed versions of a text made from one base.
struct MergedText {
    bool clean = false; // no change of one side overlapped a change of the other
    // Both sides' changes; where they overlap, both versions between conflict markers that
    // carry the labels ("<<<<<<< yours", "=======", ">>>>>>> generated").
    std::string text;
};

// A line-wise three-way merge of yours and theirs over base. None when the library that merges
// cannot be loaded on this machine, or the texts hold bytes it does not take (a NUL byte). With
// a base label, each conflict also shows the base's lines ("||||||| base") between the sides.
std::optional<MergedText> mergeTexts(std::string_view base, std::string_view yours,
                                     std::string_view theirs, std::string_view yoursLabel,
                                     std::string_view theirsLabel, std::string_view baseLabel = {});

// Why texts cannot be merged on this machine (the library that merges cannot be loaded: its
// name and the reason); empty when they can.
std::string mergeUnavailable();

} // namespace vantrel
