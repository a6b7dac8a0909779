// The record search for processors with AVX-512 (F and BW): 64 bytes per
// compare.

#include "analysis/record_search.h"

#ifdef VANTOR_SEARCH_AVX512
#include <immintrin.h>

// Every function from here on is compiled for AVX-512 (the same list twice).
#ifdef __clang__
#pragma clang attribute push(__attribute__((target("avx512f,avx512bw"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw")
#endif

namespace vantor::detail::avx512 {

struct Simd {
    static std::uint64_t Eq(const char* p, char c) {
        return _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(p), _mm512_set1_epi8(c));
    }
};

#include "analysis/record_search_generic.h"

}  // namespace vantor::detail::avx512

#ifdef __clang__
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
#endif
