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
struct ClearUpperHalves {
    static void done() { _mm256_zeroupper(); }
};

} // namespace

const HashFunctions AVX2_HASH = hashFunctionsOfThisBuild<ClearUpperHalves>();

} // namespace vantrel
