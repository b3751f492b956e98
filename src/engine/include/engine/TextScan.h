#pragma once

#include "model/AsciiCase.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel {

// The scanners of script and template lines. Each reads from the start of the given text and
// returns how many characters it went through, 0 meaning that nothing was read; the caller
// continues after that many characters. A NUL ends the text as its end does.

// Skips blanks, then takes the run up to a blank or line break. Blanks followed by the end of
// the text give an empty word with a non-zero count.
std::size_t readWord(std::string_view text, std::string& word);

// Skips blanks, then takes the text between a pair of double quotes; the count reaches past the
// closing quote. Without a closing quote the string runs to the end of the line.
std::size_t readQuotedString(std::string_view text, std::string& string);

// As readWord, but each of the separator characters also ends a token and is a token of its own.
std::size_t readToken(std::string_view text, std::string& token, std::string_view separators);

// The first open character and the first close character after it: start of the pair and its
// length, both characters included. False when either is missing.
bool findDelimitedPair(std::string_view text, char open, char close, std::size_t& start,
                       std::size_t& length);

} // namespace vantrel
