// The record search for processors with AVX2: 32 bytes per compare.

#include "analysis/record_search.h"

#ifdef VANTOR_SEARCH_AVX2
#include <immintrin.h>

// Every function from here on is compiled for AVX2 (the same list twice).
#ifdef __clang__
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

namespace vantor::detail::avx2 {

struct Simd {
    static std::uint64_t Eq(const char* p, char c) {
        const __m256i pattern = _mm256_set1_epi8(c);
        const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
        return std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(low, pattern)))} |
               std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(high, pattern)))} << 32;
    }
};

#include "analysis/record_search_generic.h"

}  // namespace vantor::detail::avx2

#ifdef __clang__
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
#endif
