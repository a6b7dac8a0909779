#include "store/numeric.h"

#include <string>

#include "vantor/run_error.h"

namespace vantor {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::int32_t ToInt32(std::string_view text) {
    // Most quantities are one or two plain digits.
    if (text.size() - 1 < 2) {
        const unsigned first = static_cast<unsigned char>(text.front()) - '0';
        const unsigned last = static_cast<unsigned char>(text.back()) - '0';
        if (first <= 9 && last <= 9) return static_cast<std::int32_t>(text.size() == 1 ? first : first * 10 + last);
    }
    if (!text.empty() && text.size() <= 9) {
        std::int32_t value = 0;
        std::size_t i = 0;
        for (; i < text.size() && IsDigit(text[i]); ++i) value = value * 10 + (text[i] - '0');
        if (i == text.size()) return value;
    }

    std::size_t i = 0;
    std::size_t end = text.size();
    while (i < end && text[i] == ' ') ++i;
    while (end > i && text[end - 1] == ' ') --end;

    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }

    // The magnitude stops growing once it is past any 32-bit value, so a
    // number of any length is read without wrapping.
    constexpr std::uint64_t kPastRange = std::uint64_t{1} << 32;
    std::uint64_t magnitude = 0;
    std::size_t digits = 0;
    for (; i < end && IsDigit(text[i]); ++i, ++digits) {
        if (magnitude < kPastRange) magnitude = magnitude * 10 + static_cast<unsigned>(text[i] - '0');
    }

    int firstFraction = -1;  // first digit after the point, -1 when none
    bool restNonZero = false;
    if (i < end && text[i] == '.') {
        for (++i; i < end && IsDigit(text[i]); ++i, ++digits) {
            if (firstFraction < 0) {
                firstFraction = text[i] - '0';
            } else if (text[i] != '0') {
                restNonZero = true;
            }
        }
    }
    if (i != end || digits == 0) {
        throw RunError(ErrorKind::TypeMismatch, "'" + std::string(text) + "' is not a number");
    }

    // Round to nearest, halves to the even neighbour.
    if (firstFraction > 5 || (firstFraction == 5 && (restNonZero || magnitude % 2 == 1))) {
        ++magnitude;
    }
    const std::uint64_t limit = negative ? std::uint64_t{1} << 31 : (std::uint64_t{1} << 31) - 1;
    if (magnitude > limit) {
        throw RunError(ErrorKind::Overflow,
                       "'" + std::string(text) + "' is outside the 32-bit range");
    }
    return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(magnitude)
                                              : static_cast<std::int64_t>(magnitude));
}

}  // namespace vantor
