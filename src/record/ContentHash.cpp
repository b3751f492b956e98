#include "record/ContentHash.h"

#include <xxhash.h>

#include <new>

namespace vantrel {

ContentHash contentHash(std::string_view bytes) {
    return XXH3_64bits(bytes.data(), bytes.size());
}

void appendHashText(std::string& text, ContentHash hash) {
    constexpr char DIGITS[] = "0123456789abcdef";
    for (int shift = 60; shift >= 0; shift -= 4)
        text += DIGITS[(hash >> shift) & 0xF];
}

std::string hashText(ContentHash hash) {
    std::string text;
    appendHashText(text, hash);
    return text;
}

std::optional<ContentHash> parseHash(std::string_view text) {
    if (text.size() != 16)
        return std::nullopt;
    ContentHash hash = 0;
    for (char c : text) {
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return std::nullopt;
        hash = hash << 4 | static_cast<ContentHash>(digit);
    }
    return hash;
}

ContentHasher::ContentHasher()
    : m_state(XXH3_createState()) {
    if (!m_state)
        throw std::bad_alloc();
    reset();
}

ContentHasher::~ContentHasher() {
    XXH3_freeState(static_cast<XXH3_state_t*>(m_state));
}

void ContentHasher::reset() {
    XXH3_64bits_reset(static_cast<XXH3_state_t*>(m_state));
}

void ContentHasher::add(std::string_view bytes) {
    XXH3_64bits_update(static_cast<XXH3_state_t*>(m_state), bytes.data(), bytes.size());
}

ContentHash ContentHasher::hash() const {
    return XXH3_64bits_digest(static_cast<const XXH3_state_t*>(m_state));
}

} // namespace vantrel
