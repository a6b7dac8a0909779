#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "store/cls_hash.h"
#include "store/numeric.h"
#include "store/run_error.h"

namespace {

using namespace std::string_literals;
const std::string kType = "type mismatch", kOver = "overflow", kInvalid = "invalid argument";

// What fn returns, or the name of the kind of RunError it throws.
template <class Fn>
std::string Outcome(Fn&& fn) {
    try {
        return fn();
    } catch (const vantor::RunError& e) {
        return std::string(vantor::KindName(e.kind()));
    }
}

TEST(StoreToInt32, ConvertsNumbersAndRejectsTheRest) {
    const std::pair<std::string, std::int32_t> numbers[] = {
        {"0", 0}, {"-42", -42}, {"+42", 42}, {"  42  ", 42}, {"-0", 0}, {"0000000000000000000042", 42}, {".5", 0},
        {"7.", 7}, {"+.51", 1}, {"1.5", 2}, {"2.5", 2}, {"3.5", 4}, {"-0.5", 0}, {"-2.5", -2}, {"-3.5", -4},
        {"2.500001", 3}, {"2.4999999999999999999", 2}, {"1.50000000000000000000000001", 2}, {"-1.51", -2},
        {"2147483647", INT32_MAX}, {"2147483647.4", INT32_MAX}, {"0002147483647.000", INT32_MAX},
        {"2147483646.5", 2147483646}, {"-2147483648", INT32_MIN}, {"-2147483648.5", INT32_MIN},
        {"-2147483647.5", INT32_MIN}};
    const auto convert = [](const std::string& text) {
        return Outcome([&] { return std::to_string(vantor::ToInt32(text)); });
    };
    for (const auto& [text, want] : numbers) EXPECT_EQ(convert(text), std::to_string(want)) << '"' << text << '"';
    const std::pair<std::string, std::string> errors[] = {
        {"", kType}, {" ", kType}, {"+", kType}, {"-", kType}, {".", kType}, {"+.", kType}, {"1e5", kType},
        {"1,5", kType}, {"1)(2", kType}, {"12abc", kType}, {"- 5", kType}, {"\t5", kType}, {"5\t", kType},
        {"1 2", kType}, {"1..2", kType}, {"--1", kType}, {"5-", kType}, {"5\0"s, kType},
        {"2147483648", kOver}, {"-2147483649", kOver}, {"2147483647.5", kOver}, {"-2147483648.6", kOver},
        {"4294967338", kOver} /* 2^32 + 42 */, {"18446744073709551658", kOver} /* 2^64 + 42 */,
        {"-99999999999999999999.0", kOver}, {"2147483647.50000000000000000001", kOver}};
    for (const auto& [text, want] : errors) EXPECT_EQ(convert(text), want) << '"' << text << '"';
}

TEST(StoreEdge, LookupsFindTheSlotOfTheFirstOccurrence) {
    const std::string head = "0123456789abcdefghijklmnopqrstuvwxyzABCD", cut = head + "EFGHI";
    const std::string lastZ = std::string(39, 'a') + "Z", q40 = std::string(40, 'q');
    struct Case {
        std::vector<std::pair<std::string, std::string>> adds;  // AddValue in this order
        std::vector<std::pair<std::string, std::int32_t>> gets;
        std::int32_t numKeys;
    };
    const Case cases[] = {
        {{}, {{"Widget", 0}, {"", 0}}, 0},
        {{{"Widget", "3"}, {"Gadget", "5"}, {"Widget", "7"}},
         {{"Gadget", 5}, {"Widget", 7}, {"dget", 7}, {"widget", 0}}, 2},
        {{{"Widget", "3"}, {"dget", "9"}, {"x", "2.5"}, {"y", "3.5"}}, {{"Widget", 9}, {"x", 2}, {"y", 4}}, 3},
        {{{cut, "1"}, {cut, "2"}}, {{cut, 0}, {head, 1}}, 2},  // cut to 40 bytes, so not found again
        {{{cut, "1"}, {"EFGHI!", "2"}, {cut, "3"}}, {{cut, 3}, {"CDEF", 3}, {"DEFG", 2}, {"I!\0"s, 2}}, 2},
        {{{"", "5"}, {"abc", "6"}}, {{"", 5}, {"\0\0\0"s, 5}, {"abc", 6}}, 2},
        {{{q40, "1"}, {"ab", "2"}}, {{"", 1}, {"\0"s, 2}, {std::string(39, '\0'), 0}, {"qab\0"s, 2}}, 2},
        {{{lastZ, "4"}}, {{"Z", 0}}, 1},  // byte 40 maps to slot 2, which does not exist
        {{{lastZ, "4"}, {"Z", "6"}, {"Z", "8"}}, {{"Z", 8}, {lastZ, 4}}, 2},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        vantor::clsHash s;
        for (const auto& [key, value] : cases[i].adds) s.AddValue(key, value);
        for (const auto& [key, want] : cases[i].gets) EXPECT_EQ(s.GetValue(key), want) << "case " << i << ", " << key;
        EXPECT_EQ(s.NumKeys(), cases[i].numKeys) << "case " << i;
    }
}

TEST(StoreEdge, GetKeyByNumberGivesTheSlotWithoutOuterSpaces) {
    vantor::clsHash s;
    s.AddValue("Widget", "3");
    s.Clear();  // keeps the slot width
    for (const char* key : {"Widget", "  pad  ", "  mmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmm  "}) s.AddValue(key, "1");
    s.AddValue(std::string(40, ' '), "2");
    EXPECT_EQ(s.GetKeyByNumber(1), "Widget" + std::string(34, '\0'));
    EXPECT_EQ(s.GetKeyByNumber(2), "pad  " + std::string(33, '\0'));  // NULs stay
    EXPECT_EQ(s.GetKeyByNumber(3), std::string(36, 'm'));
    EXPECT_EQ(s.GetKeyByNumber(4) + s.GetKeyByNumber(5) + s.GetKeyByNumber(INT32_MAX), "");
    EXPECT_EQ(s.GetValueByNumber(4), 2);
    for (std::int32_t n : {0, -1, 5, INT32_MAX, INT32_MIN}) EXPECT_EQ(s.GetValueByNumber(n), 0) << n;
    EXPECT_EQ(Outcome([&] { return s.GetKeyByNumber(0); }), kInvalid);
    EXPECT_EQ(Outcome([&] { return s.GetKeyByNumber(INT32_MIN); }), kInvalid);
}

TEST(StoreEdge, FailedUpdatesKeepTotalsAndAppendedSlots) {
    vantor::clsHash s;
    s.AddToValue("Widget", 2147483640);
    EXPECT_EQ(Outcome([&] { return s.AddValue("Widget", "x"), ""s; }), kType);
    EXPECT_EQ(Outcome([&] { return s.AddToValue("dget", 8), ""s; }), kOver);
    EXPECT_EQ(Outcome([&] { return s.AddValue("Gadget", "-2147483649"), ""s; }), kOver);
    s.AddToValue("dget", 7);  // sums into the slot of 'Widget'
    EXPECT_EQ(s.NumKeys(), 2);
    EXPECT_EQ(s.GetValue("Widget"), INT32_MAX);
    EXPECT_EQ(s.GetKeyByNumber(2), "Gadget" + std::string(34, '\0'));
    EXPECT_EQ(s.GetValue("Gadget"), 0);
}

TEST(RunErrorText, ControlBytesAreEscapedOtherBytesKept) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\nb\rc\td", "a\\nb\\rc\\td"}, {"\0\x01\x1F\x7F"s, "\\x00\\x01\\x1F\\x7F"},
        {" ~\\n", " ~\\n"}, {"Caf\xE9 \x80\x81\xFF", "Caf\xE9 \x80\x81\xFF"}, {"", ""}};
    for (const auto& [text, want] : cases) EXPECT_EQ(vantor::EscapeControlBytes(text), want) << text;
    const auto error = vantor::RunError(vantor::ErrorKind::TypeMismatch, "quantity '1\n2' is not a number")
                           .At("ActionLog\n1.txt", 3, "A(1\n2)");
    EXPECT_EQ(error.what(), "ActionLog\\n1.txt:3: type mismatch: quantity '1\\n2' is not a number"s);
    EXPECT_EQ(error.item(), "A(1\n2)") << "the item keeps its bytes";
}

}  // namespace
