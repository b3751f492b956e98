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

// The set of the library's build that the including file holds (it includes <xxhash.h> before
// this), each function ending with Finish::done(). Each file gets its own, with internal linkage.
namespace {

template <typename Finish>
constexpr HashFunctions hashFunctionsOfThisBuild() {
    return {
        [](const void* data, std::size_t size) -> std::uint64_t {
            const std::uint64_t value = XXH3_64bits(data, size);
            Finish::done();
            return value;
        },
        []() -> void* { return XXH3_createState(); },
        [](void* state) { XXH3_freeState(static_cast<XXH3_state_t*>(state)); },
        [](void* state) {
            XXH3_64bits_reset(static_cast<XXH3_state_t*>(state));
            Finish::done();
        },
        [](void* state, const void* data, std::size_t size) {
            XXH3_64bits_update(static_cast<XXH3_state_t*>(state), data, size);
            Finish::done();
        },
        [](const void* state) -> std::uint64_t {
            const std::uint64_t value = XXH3_64bits_digest(static_cast<const XXH3_state_t*>(state));
            Finish::done();
            return value;
        },
    };
}

} // namespace

} // namespace vantrel
