#pragma once

#include "text/internal.h"

#include <cstdint>
#include <string_view>

namespace vantor {

// Converts a number written as text to a 32-bit total: optional spaces, an
// optional sign, digits with an optional '.' fraction (".5" and "7." count),
// optional spaces. A fraction rounds to the nearest integer, halves to the
// even neighbour. Throws RunError: TypeMismatch for text that is not such a
// number (including empty text), Overflow when the rounded value lies outside
// the 32-bit signed range.
std::int32_t ToInt32(std::string_view text);

}  // namespace vantor
