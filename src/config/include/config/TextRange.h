#pragma once

#include <cstdint>
#include <string_view>

namespace vantrel {

// What a view and an owning buffer share: the characters between start and end of data, and
// the read operations on them. Positions count from start.
class TextSpan {
public:
    virtual ~TextSpan() = default;

    const char* data() const { return m_data; }
    std::int32_t start() const { return m_start; }
    std::int32_t end() const { return m_end; }

    std::int32_t length() const { return m_end - m_start; }
    bool isEmpty() const { return length() <= 0; }
    const char* begin() const { return m_data ? m_data + m_start : nullptr; }
    char at(std::int32_t position) const { return m_data[m_start + position]; }
    std::string_view view() const {
        return isEmpty() ? std::string_view{} : std::string_view(begin(), std::size_t(length()));
    }

    // Position of the first c, or -1.
    std::int32_t findChar(char c) const;
    // Position of the first occurrence of the NUL-terminated text, or -1 (also for an empty
    // range or an empty or null text).
    std::int32_t findText(const char* text) const;
    // 0 for equal characters, else the signed difference of the first differing characters;
    // the end of a range counts as a NUL.
    int compare(const TextSpan& other) const;

protected:
    TextSpan() = default;
    TextSpan(const TextSpan&) = default;
    TextSpan& operator=(const TextSpan&) = default;

    const char* m_data = nullptr;
    std::int32_t m_end = 0;
    std::int32_t m_start = 0;
};

// A view of characters that somebody else owns, with a start that moves as a scan goes on.
class TextRange : public TextSpan {
public:
    TextRange() = default;
    TextRange(const char* data, std::int32_t length) { set(data, length); }
    explicit TextRange(const char* text) { set(text); }
    TextRange(const TextRange&) = default;
    TextRange& operator=(const TextRange&) = default;

    void set(const char* data, std::int32_t length);
    // A NUL-terminated text; null gives an empty range.
    void set(const char* text);
    void clear();
    void copyFrom(const TextSpan& other);

    void skipLeading(char c);
    void dropTrailing(char c);
    // Both change nothing when n is out of range; both return the new length.
    std::int32_t advance(std::int32_t n);
    std::int32_t truncate(std::int32_t n);
    // Moves start to the end of a token taken from the same text, never past this range's end.
    void advanceTo(const TextSpan& other);
};

} // namespace vantrel
