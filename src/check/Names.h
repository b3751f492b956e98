#pragma once

#include "engine/CompiledTemplate.h"
#include "engine/KeywordValues.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// A line of a script or template without its line break.
std::string_view textOf(const CompiledTemplate& file, std::size_t index);
// The text in single quotes, as messages show names and values.
std::string quoted(std::string_view text);

// " (did you mean 'NAME'?)" for the candidate nearest to the word (ASCII case ignored) when it
// is near enough to be what was meant; empty otherwise.
std::string suggestion(std::string_view word, const std::vector<std::string>& candidates);

// The keyword names that can stand where a condition, a loop bound or a placeholder stands, as
// authors write them (conditions and bounds without '%', placeholders with).
std::vector<std::string> conditionNames();
std::vector<std::string> loopBoundNames();
std::vector<std::string> placeholderNames(const ProjectState& project);

// A '%' pair that the run takes for a placeholder: a name of letters, digits and '_' between
// two '%'.
struct PlaceholderUse {
    std::size_t open;      // where the first '%' stands in the text
    std::string_view text; // the pair with its '%'
    KeywordId id;          // KW_NONE: no keyword (perhaps an extra setting)
    bool hasValue;         // a keyword with a value, or an extra setting
};

// The placeholders of a text in the order the run meets them: each '%' opens a candidate up to
// the next one, except the closing '%' of a placeholder that has a value, which the value
// replaces. A pair with anything but a name between its '%' (a "%d of %" in C text) is no
// placeholder.
std::vector<PlaceholderUse> placeholdersOf(std::string_view text, const KeywordValues& values);

} // namespace vantrel
