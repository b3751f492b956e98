#pragma once

#include <cstddef>
#include <string_view>

namespace vantrel {

// Keyword, directive, section and flag names compare ASCII letters without regard to case.
// Inline: every placeholder candidate of every template line goes through them.
inline char foldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldAscii(a[i]) != foldAscii(b[i]))
            return false;
    }
    return true;
}

} // namespace vantrel
