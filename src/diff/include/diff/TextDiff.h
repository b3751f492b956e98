#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// A unified diff of two versions of a file, as version-control tools print it (labels on the
// "---" and "+++" lines, three lines of context); empty when the texts are equal. None when the
// library that makes it cannot be loaded on this machine.
std::optional<std::string> unifiedDiff(std::string_view oldText, std::string_view newText,
                                       std::string_view oldLabel, std::string_view newLabel);

} // namespace vantrel
