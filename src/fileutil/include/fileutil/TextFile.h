#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace vantrel {

// Text files are taken as the platform's text mode takes them, whatever wrote them: a UTF-8
// byte-order mark at the very start is dropped and "\r\n" reads as "\n". A lone "\r" is an
// ordinary character of its line.
void normaliseText(std::string& text);

// The bytes of the file at a native path as they are; none when it cannot be opened or read, or
// is a folder. extraCapacity bytes are reserved past the end.
std::optional<std::string> readFileBytes(const std::string& nativePath,
                                         std::size_t extraCapacity = 0);

// The whole text file at a native path, normalised; none when it cannot be opened or read, or
// is a folder. extraCapacity bytes are reserved past the end for readers that look ahead.
std::optional<std::string> readTextFile(const std::string& nativePath,
                                        std::size_t extraCapacity = 0);

} // namespace vantrel
