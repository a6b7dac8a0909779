// The record search for any processor: eight bytes at a time in a word.

#include "analysis/record_search.h"

namespace vantor::detail::portable {

struct Simd {
    static std::uint64_t Eq(const char* p, char c) {
        std::uint64_t mask = 0;
        if constexpr (std::endian::native == std::endian::little) {
            // A byte's top bit is set where it equals c, then the eight top
            // bits are gathered.
            constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
            const std::uint64_t pattern = 0x0101010101010101ULL * static_cast<unsigned char>(c);
            for (int i = 0; i < 8; ++i) {
                std::uint64_t word;
                std::memcpy(&word, p + 8 * i, 8);
                const std::uint64_t x = word ^ pattern;
                const std::uint64_t tops = ~(((x & kLow7) + kLow7) | x) & ~kLow7;
                mask |= (((tops >> 7) * 0x0102040810204080ULL) >> 56) << (8 * i);
            }
        } else {
            for (int i = 0; i < 64; ++i) mask |= std::uint64_t{p[i] == c} << i;
        }
        return mask;
    }
};

#include "analysis/record_search_generic.h"

}  // namespace vantor::detail::portable
