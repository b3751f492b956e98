#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

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

// A large text is handed on in pieces of about this size, never held whole: a sink takes each
// piece and says whether it went on.
inline constexpr std::size_t TEXT_PIECE_SIZE = 65536;
using TextSink = std::function<bool(std::string_view piece)>;

// The bytes of a text file as the disk holds them: "\n" becomes the platform's line end. Where
// that is "\n" already, the text itself; elsewhere the text made in converted.
std::string_view platformText(std::string_view text, std::string& converted);

// Reads a file descriptor to its end, appending to bytes; false on a read error. expected, a
// plain file's size when known, lets a short read tell the end without another call.
bool readAll(int fd, std::string& bytes, std::size_t expected = 0);
// Writes all of bytes to a file descriptor, a signal notwithstanding; false on a write error.
bool writeAll(int fd, std::string_view bytes);

} // namespace vantrel
