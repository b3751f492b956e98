// Built with AVX2 (see CMakeLists.txt): the library's functions from its header, inlined here
// with internal linkage, so that no code built for AVX2 reaches a processor without it.
#define XXH_INLINE_ALL
#include <xxhash.h>

#include "HashFunctions.h"

namespace vantrel {
namespace {

std::uint64_t hash(const void* data, std::size_t size) {
    return XXH3_64bits(data, size);
}

void* newState() {
    return XXH3_createState();
}

void freeState(void* state) {
    XXH3_freeState(static_cast<XXH3_state_t*>(state));
}

void reset(void* state) {
    XXH3_64bits_reset(static_cast<XXH3_state_t*>(state));
}

void add(void* state, const void* data, std::size_t size) {
    XXH3_64bits_update(static_cast<XXH3_state_t*>(state), data, size);
}

std::uint64_t digest(const void* state) {
    return XXH3_64bits_digest(static_cast<const XXH3_state_t*>(state));
}

} // namespace

const HashFunctions AVX2_HASH = {hash, newState, freeState, reset, add, digest};

} // namespace vantrel
