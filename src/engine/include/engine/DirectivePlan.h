#pragma once

#include "engine/Directives.h"
#include "engine/Keywords.h"

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

namespace vantrel {

// The keywords of a condition list, each with whether '+' joins it to the ones before.
using ConditionList = std::vector<std::pair<KeywordId, bool>>;

// Reads a condition list; false (list empty) when two words stand without a separator or the
// list is empty. A trailing separator is allowed.
bool readConditionList(std::string_view text, ConditionList& conditions);

// What a directive line says, from its text alone.
struct DirectivePlan {
    static constexpr std::size_t NO_LINE = static_cast<std::size_t>(-1);

    std::size_t used = 0; // characters of the directive word; 0: no word
    DirectiveId id = DirectiveId::None;
    ConditionList conditions; // @IFDEF and @IFNDEF
    // @FOR: whether "first TO kind" reads, and the keywords of first and kind.
    bool loopWellFormed = false;
    KeywordId loopFirst = KW_NONE;
    KeywordId loopKind = KW_NONE;
    // @IFDEF, @IFNDEF: the line of the matching @ENDIF; @FOR: the line of the @ENDFOR the loop
    // ends at. NO_LINE when the file has none.
    std::size_t matchingEnd = NO_LINE;
};

DirectivePlan analyseDirective(std::string_view line);

} // namespace vantrel
