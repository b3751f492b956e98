#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// What a record keeps of a file's bytes: a 64-bit hash, enough to tell a file the user changed
// from the one a run wrote.
using ContentHash = std::uint64_t;

ContentHash contentHash(std::string_view bytes);

// A hash as 16 lower-case hexadecimal digits, and back; none for anything else.
std::string hashText(ContentHash hash);
void appendHashText(std::string& text, ContentHash hash);
std::optional<ContentHash> parseHash(std::string_view text);

// Hashes bytes that come in pieces, as a streamed file's do.
class ContentHasher {
public:
    ContentHasher();
    ~ContentHasher();
    ContentHasher(const ContentHasher&) = delete;
    ContentHasher& operator=(const ContentHasher&) = delete;

    void reset();
    void add(std::string_view bytes);
    ContentHash hash() const;

private:
    void* m_state; // the library's, kept out of this header
};

} // namespace vantrel
