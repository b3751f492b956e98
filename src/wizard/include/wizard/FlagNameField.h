#pragma once

#include "model/FlagNames.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

// Fields whose text must name a row of a flag-name table ("Typ:", "DLL Flags:"), read the way
// parseFlagNames reads them.

// The value of the row the text names, or 0 when it names none.
std::uint32_t namedFlagValue(std::string_view text, FlagNameTable table);

// Empty when the text names a row; otherwise what is wrong, with the names that are accepted:
// 'Unknown <what>: "<text>"' and a line listing the names in the order the combo shows them.
std::string flagNameProblem(std::string_view what, std::string_view text, FlagNameTable table);

} // namespace vantrel
