#include "config/TextBuffer.h"

#include <algorithm>
#include <cstring>

namespace vantrel {

void TextBuffer::adopt(std::unique_ptr<char[]> block, std::int32_t capacity, std::int32_t length) {
    m_block = std::move(block);
    m_data = m_block.get();
    m_capacity = capacity;
    m_end = length;
    m_start = 0;
}

void TextBuffer::reserve(std::int32_t n) {
    if (n == 0) {
        release();
        return;
    }
    if (n < 0 || m_capacity >= n)
        return;
    const std::int32_t size = (n + GROWTH_STEP - 1) / GROWTH_STEP * GROWTH_STEP;
    auto block = std::make_unique<char[]>(static_cast<std::size_t>(size));
    block[0] = '\0';
    std::int32_t length = 0;
    if (m_block) {
        std::memcpy(block.get(), m_block.get(), static_cast<std::size_t>(std::min(n, m_capacity)));
        length = m_end;
    }
    adopt(std::move(block), size, length);
}

const char* TextBuffer::text() {
    if (m_capacity == 0)
        reserve(1);
    return m_data;
}

void TextBuffer::assign(const char* text) {
    if (text != nullptr && text == m_data)
        return;
    if (text == nullptr || *text == '\0') {
        release();
        return;
    }
    // The new block is filled before the old one goes, so a text inside this buffer survives.
    const auto length = static_cast<std::int32_t>(std::strlen(text));
    auto block = std::make_unique<char[]>(static_cast<std::size_t>(length) + 1);
    std::memcpy(block.get(), text, static_cast<std::size_t>(length) + 1);
    adopt(std::move(block), length + 1, length);
}

void TextBuffer::assign(const TextSpan& range) {
    if (&range == this)
        return;
    const std::int32_t length = range.isEmpty() ? 0 : range.length();
    const std::int32_t size = (length + 1 + GROWTH_STEP - 1) / GROWTH_STEP * GROWTH_STEP;
    auto block = std::make_unique<char[]>(static_cast<std::size_t>(size));
    if (length > 0)
        std::memcpy(block.get(), range.begin(), static_cast<std::size_t>(length));
    block[static_cast<std::size_t>(length)] = '\0';
    adopt(std::move(block), size, length);
}

void TextBuffer::assign(const TextBuffer& other) {
    if (&other == this)
        return;
    if (other.m_capacity == 0) {
        release();
        return;
    }
    auto block = std::make_unique<char[]>(static_cast<std::size_t>(other.m_capacity));
    std::memcpy(block.get(), other.m_block.get(), static_cast<std::size_t>(other.m_capacity));
    adopt(std::move(block), other.m_capacity, other.m_end);
}

void TextBuffer::release() {
    adopt(nullptr, 0, 0);
}

std::int32_t TextBuffer::trimLeadingChar(char c) {
    std::int32_t count = 0;
    while (count < m_end && m_block[static_cast<std::size_t>(count)] == c)
        ++count;
    if (count > 0) {
        std::memmove(m_block.get(), m_block.get() + count,
                     static_cast<std::size_t>(m_end - count) + 1);
        m_end -= count;
    }
    return count;
}

void TextBuffer::trimTrailingChar(char c) {
    if (m_end == 0)
        return;
    while (m_end > 0 && m_block[static_cast<std::size_t>(m_end) - 1] == c)
        --m_end;
    m_block[static_cast<std::size_t>(m_end)] = '\0';
}

} // namespace vantrel
