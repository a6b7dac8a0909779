// ToInt32 against a plain reading of the number rules on strings: trim the
// spaces, take the sign, split at the point, round the digit string itself
// (halves to even) and compare it with the range limit as text.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "store/numeric.h"
#include "store/run_error.h"

namespace {

bool AllDigits(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "= value" or "! kind".
std::string Reference(std::string_view text) {
    const std::string mismatch = "! type mismatch";
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return mismatch;
    std::string s(text.substr(first, text.find_last_not_of(' ') - first + 1));

    bool negative = false;
    if (s[0] == '+' || s[0] == '-') {
        negative = s[0] == '-';
        s.erase(0, 1);
    }
    const std::size_t point = s.find('.');
    std::string whole = s.substr(0, point);
    std::string fraction = point == std::string::npos ? "" : s.substr(point + 1);
    if (!AllDigits(whole) || !AllDigits(fraction) || whole.size() + fraction.size() == 0) return mismatch;

    // Compare the fraction with one half, digit string against "500...".
    fraction.resize(std::max<std::size_t>(fraction.size(), 1), '0');
    const int half = fraction.compare("5" + std::string(fraction.size() - 1, '0'));
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    const bool odd = !whole.empty() && (whole.back() - '0') % 2 == 1;
    if (half > 0 || (half == 0 && odd)) {
        std::size_t i = whole.size();
        while (i > 0 && whole[i - 1] == '9') whole[--i] = '0';
        if (i == 0) {
            whole.insert(whole.begin(), '1');
        } else {
            ++whole[i - 1];
        }
    }
    const std::string limit = negative ? "2147483648" : "2147483647";
    if (whole.size() > limit.size() || (whole.size() == limit.size() && whole > limit)) return "! overflow";
    const long long magnitude = whole.empty() ? 0 : std::stoll(whole);
    return "= " + std::to_string(negative ? -magnitude : magnitude);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string got;
    try {
        got = "= " + std::to_string(vantor::ToInt32(text));
    } catch (const vantor::RunError& error) {
        got = "! " + std::string(vantor::KindName(error.kind()));
    }
    const std::string want = Reference(text);
    if (got != want) {
        std::fprintf(stderr, "ToInt32('%s'): %s, reference %s\n", vantor::fuzz::Escaped(text).c_str(),
                     got.c_str(), want.c_str());
        std::abort();
    }
    return 0;
}
