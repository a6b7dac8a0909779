#pragma once

// The store and its number conversion, read literally, for the randomised
// store test and the store fuzzer.

#include <cstdint>
#include <string>
#include <string_view>

namespace vantor::testing {

// The number rules read on strings: trim the spaces, take the sign, split at
// the point, round the digit string itself (halves to even) and compare it
// with the range limit as text. Throws RunError as ToInt32 does.
std::int32_t ReferenceToInt32(std::string_view text);

// Reads `ops` as store operations (any bytes are a sequence of them) and runs
// each on a clsHash and on a literal store: one text of 40-byte slots,
// searched from its start at every lookup, its numbers converted by
// ReferenceToInt32. The keys occur inside one another, in the padding,
// across slot ends and across the end of the text; the numbers have halves,
// signs, spaces and junk, or are any bytes; sums come near the 32-bit limits. Returns the
// first difference in a result, an error kind or a slot, or nothing.
std::string StoreDifference(std::string_view ops);

}  // namespace vantor::testing
