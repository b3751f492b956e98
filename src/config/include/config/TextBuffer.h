#pragma once

#include "config/TextRange.h"

#include <cstdint>
#include <memory>

namespace vantrel {

// An owning, growable text that is always NUL-terminated at end once it has a block. Blocks
// grow in 512-byte steps; start stays 0.
class TextBuffer : public TextSpan {
public:
    static constexpr std::int32_t GROWTH_STEP = 512;

    TextBuffer() = default;
    explicit TextBuffer(const char* text) { assign(text); }
    TextBuffer(const TextBuffer& other) { assign(other); }
    TextBuffer& operator=(const TextBuffer& other) {
        assign(other);
        return *this;
    }
    ~TextBuffer() override = default;

    std::int32_t capacity() const { return m_capacity; }

    // Grows the block to hold n bytes, keeping text and length; 0 releases the block.
    void reserve(std::int32_t n);
    // Never null: a buffer without a block gets an empty 512-byte one.
    const char* text();

    void assign(const char* text);
    void assign(const TextSpan& range);
    void assign(const TextBuffer& other);
    void release();

    // Both return without change on a buffer with no such characters.
    std::int32_t trimLeadingChar(char c);
    void trimTrailingChar(char c);

private:
    // Takes over a block; data, capacity and length follow it.
    void adopt(std::unique_ptr<char[]> block, std::int32_t capacity, std::int32_t length);

    std::unique_ptr<char[]> m_block;
    std::int32_t m_capacity = 0;
};

} // namespace vantrel
