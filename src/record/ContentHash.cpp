#include "record/ContentHash.h"

// The library's own build hashes with the vector instructions every x86-64 processor has.
// Where the processor has AVX2, the same hash comes from the library's header built for it:
// measured on whole runs, the record then cost 4.7 % of a run instead of 6.7 %. The library's
// own run-time choice takes AVX-512 where there is one, which made whole runs 1.7 x as slow.
#include <xxhash.h>

#include "HashFunctions.h"

#include <array>
#include <cstring>
#include <new>

namespace vantrel {
namespace {

struct NothingMore {
    static void done() {}
};

constexpr HashFunctions BASELINE_HASH = hashFunctionsOfThisBuild<NothingMore>();

const HashFunctions& hashFunctions() {
#ifdef VANTREL_HASH_AVX2
    static const HashFunctions& chosen = __builtin_cpu_supports("avx2") ? AVX2_HASH : BASELINE_HASH;
    return chosen;
#else
    return BASELINE_HASH;
#endif
}

} // namespace

ContentHash contentHash(std::string_view bytes) {
    return hashFunctions().hash(bytes.data(), bytes.size());
}

char* writeHashText(char* out, ContentHash hash) {
    // Two digits a byte, from a table: a manifest writes a hash for every file.
    static constexpr auto PAIRS = [] {
        constexpr char DIGITS[] = "0123456789abcdef";
        std::array<char, 512> pairs{};
        for (std::size_t byte = 0; byte < 256; ++byte) {
            pairs[2 * byte] = DIGITS[byte >> 4];
            pairs[2 * byte + 1] = DIGITS[byte & 0xF];
        }
        return pairs;
    }();
    for (std::size_t i = 8; i-- > 0; hash >>= 8)
        std::memcpy(out + 2 * i, &PAIRS[2 * (hash & 0xFF)], 2);
    return out + 16;
}

void appendHashText(std::string& text, ContentHash hash) {
    char digits[16];
    text.append(digits, writeHashText(digits, hash));
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

// A state is only ever handed to the build that made it.
ContentHasher::ContentHasher()
    : m_functions(&hashFunctions())
    , m_state(m_functions->newState()) {
    if (!m_state)
        throw std::bad_alloc();
    reset();
}

ContentHasher::~ContentHasher() {
    m_functions->freeState(m_state);
}

void ContentHasher::reset() {
    m_functions->reset(m_state);
}

void ContentHasher::add(std::string_view bytes) {
    m_functions->add(m_state, bytes.data(), bytes.size());
}

ContentHash ContentHasher::hash() const {
    return m_functions->digest(m_state);
}

} // namespace vantrel
