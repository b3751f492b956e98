#pragma once

// The library's hash as a set of functions, one set for each build of it. Plain types only: the
// set built for AVX2 lives in a file built for it, and nothing there may stand in for code that
// the rest of the program shares.

#include <cstddef>
#include <cstdint>

namespace vantrel {

struct HashFunctions {
    std::uint64_t (*hash)(const void* data, std::size_t size);
    void* (*newState)();
    void (*freeState)(void* state);
    void (*reset)(void* state);
    void (*add)(void* state, const void* data, std::size_t size);
    std::uint64_t (*digest)(const void* state);
};

// The header's build for AVX2; only for a processor that has it.
extern const HashFunctions AVX2_HASH;

} // namespace vantrel
