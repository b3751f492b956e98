#include "config/TextRange.h"

#include <cstring>

namespace vantrel {

// Both searches run once per token over the rest of its line: memchr and the library's find
// keep that cheap for lines of many tokens.
std::int32_t TextSpan::findChar(char c) const {
    if (isEmpty())
        return -1;
    const void* found = std::memchr(begin(), c, static_cast<std::size_t>(length()));
    return found ? static_cast<std::int32_t>(static_cast<const char*>(found) - begin()) : -1;
}

std::int32_t TextSpan::findText(const char* text) const {
    if (isEmpty() || text == nullptr || *text == '\0')
        return -1;
    const std::size_t p = view().find(text);
    return p == std::string_view::npos ? -1 : static_cast<std::int32_t>(p);
}

int TextSpan::compare(const TextSpan& other) const {
    const std::int32_t longer = length() > other.length() ? length() : other.length();
    for (std::int32_t p = 0; p < longer; ++p) {
        const auto mine = static_cast<signed char>(p < length() ? at(p) : '\0');
        const auto theirs = static_cast<signed char>(p < other.length() ? other.at(p) : '\0');
        if (mine != theirs)
            return mine - theirs;
    }
    return 0;
}

void TextRange::set(const char* data, std::int32_t length) {
    m_data = data;
    m_end = length;
    m_start = 0;
}

void TextRange::set(const char* text) {
    set(text, text ? static_cast<std::int32_t>(std::strlen(text)) : 0);
}

void TextRange::clear() {
    set(nullptr, 0);
}

void TextRange::copyFrom(const TextSpan& other) {
    m_data = other.data();
    m_end = other.end();
    m_start = other.start();
}

void TextRange::skipLeading(char c) {
    while (!isEmpty() && at(0) == c)
        ++m_start;
}

void TextRange::dropTrailing(char c) {
    while (!isEmpty() && at(length() - 1) == c)
        --m_end;
}

std::int32_t TextRange::advance(std::int32_t n) {
    if (n > 0 && n <= length())
        m_start += n;
    return length();
}

std::int32_t TextRange::truncate(std::int32_t n) {
    if (n >= 0 && n < length())
        m_end = m_start + n;
    return length();
}

void TextRange::advanceTo(const TextSpan& other) {
    if (other.end() > m_start)
        m_start = other.end() < m_end ? other.end() : m_end;
}

} // namespace vantrel
