#pragma once

#include "engine/Keywords.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace vantrel {

// A '%' pair of a text line and the keyword its text names.
struct LinePair {
    std::size_t open;
    std::size_t close;
    KeywordId id; // KW_NONE: an extra setting, looked up by the name between the '%'
};

// What a text line's expansion needs from its text alone: the '%' pairs in one-pass order with
// the keyword each names, and whether one pass from left to right can give the text that the
// rescanning rules give (onePass false: the line takes the rescanning rules from its start).
struct LinePlan {
    bool onePass = false;
    std::vector<LinePair> pairs;
};

LinePlan analyseLine(std::string_view line);

} // namespace vantrel
