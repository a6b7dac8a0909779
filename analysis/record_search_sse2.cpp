// The record search for every x86-64 processor: 16 bytes per compare.

#include "analysis/record_search.h"

#ifdef VANTOR_SEARCH_SSE2
#include <emmintrin.h>

namespace vantor::detail::sse2 {

struct Simd {
    static std::uint64_t Eq(const char* p, char c) {
        const __m128i pattern = _mm_set1_epi8(c);
        std::uint64_t mask = 0;
        for (int i = 0; i < 4; ++i) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
            const auto bits = static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, pattern)));
            mask |= std::uint64_t{bits} << (16 * i);
        }
        return mask;
    }
};

#include "analysis/record_search_generic.h"

}  // namespace vantor::detail::sse2
#endif
