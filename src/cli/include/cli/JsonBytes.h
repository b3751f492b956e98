#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The byte classes of a JSON text and the scans over runs of them that the plain project reader
// spends most of its time in.
namespace vantrel::jsonbytes {

// Bytes a string holds as they are: no quote, backslash, control character or start of a
// multi-byte character.
inline constexpr std::array<bool, 256> PLAIN_STRING_BYTES = [] {
    std::array<bool, 256> plain{};
    for (int byte = 0x20; byte < 0x80; ++byte)
        plain[static_cast<std::size_t>(byte)] = byte != '"' && byte != '\\';
    return plain;
}();

inline constexpr std::array<bool, 256> SPACE_BYTES = [] {
    std::array<bool, 256> space{};
    for (const char byte : {' ', '\t', '\n', '\r'})
        space[static_cast<unsigned char>(byte)] = true;
    return space;
}();

// The first byte at or after p that a string does not hold as it is, or end. Sixteen or eight
// bytes are tested at once while the chunk has them: most strings end before any such byte.
inline const char* skipPlainBytes(const char* p, const char* end) {
#if defined(__SSE2__)
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i backslash = _mm_set1_epi8('\\');
    const __m128i space = _mm_set1_epi8(0x20);
    while (end - p >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        // Compared as signed, bytes from 0x80 up count as less than a space too.
        const __m128i stops = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(bytes, quote), _mm_cmpeq_epi8(bytes, backslash)),
            _mm_cmplt_epi8(bytes, space));
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(stops));
        if (mask != 0)
            return p + std::countr_zero(mask);
        p += 16;
    }
#endif
    constexpr std::uint64_t ONES = 0x0101010101010101;
    constexpr std::uint64_t HIGHS = 0x8080808080808080;
    const auto hasZeroByte = [](std::uint64_t word) {
        return (word - ONES) & ~word & HIGHS;
    };
    while (end - p >= 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, p, sizeof word);
        // A byte below a space borrows into its top bit; one from 0x80 up has it set already.
        const std::uint64_t stops = (((word - ONES * 0x20) | word) & HIGHS) |
                                    hasZeroByte(word ^ (ONES * '"')) |
                                    hasZeroByte(word ^ (ONES * '\\'));
        // Only the first marked byte is sure (borrows spoil those after it), and it is enough.
        if (stops != 0)
            return p + (std::endian::native == std::endian::little ? std::countr_zero(stops)
                                                                   : std::countl_zero(stops)) /
                           8;
        p += 8;
    }
    while (p != end && PLAIN_STRING_BYTES[static_cast<unsigned char>(*p)])
        ++p;
    return p;
}

// The first byte at or after p that is not JSON white space, or end; for runs of two or more.
// A line end and the next line's indent are mostly skipped in one step.
inline const char* skipSpaceRun(const char* p, const char* end) {
#if defined(__SSE2__)
    while (end - p >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i space =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' ')),
                                      _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))),
                         _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')),
                                      _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\t'))));
        const auto others = static_cast<unsigned>(~_mm_movemask_epi8(space)) & 0xFFFFu;
        if (others != 0)
            return p + std::countr_zero(others);
        p += 16;
    }
#endif
    while (p != end && SPACE_BYTES[static_cast<unsigned char>(*p)])
        ++p;
    return p;
}

// No white space and a single blank, as after a colon, are told at once.
inline const char* skipSpaceBytes(const char* p, const char* end) {
    if (p != end && !SPACE_BYTES[static_cast<unsigned char>(*p)])
        return p;
    if (end - p >= 2 && !SPACE_BYTES[static_cast<unsigned char>(p[1])])
        return p + 1;
    return skipSpaceRun(p, end);
}

} // namespace vantrel::jsonbytes
