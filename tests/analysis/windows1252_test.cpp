#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/windows1252.h"

namespace vantor {
namespace {

TEST(Windows1252, DecodesEveryByteAndEncodesBack) {
    const std::vector<std::pair<std::string, std::string>> pairs = {
        {"Widget", "Widget"},   {"\x80", "\u20AC"},     {"\x81", "\u0081"},
        {"\x8D\x8F\x90\x9D", "\u008D\u008F\u0090\u009D"},
        {"\x9F", "\u0178"},     {"\xA8", "\u00A8"},     {"\xFF", "\u00FF"},
        {"Ice \x96 Fire", "Ice \u2013 Fire"},
    };
    for (const auto& [bytes, utf8] : pairs) {
        EXPECT_EQ(Windows1252ToUtf8(bytes), utf8);
        EXPECT_EQ(Utf8ToWindows1252(utf8), bytes);
    }
    std::string all;
    for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);
    EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(all)), all);
}

TEST(Windows1252, RejectsWhatTheCodePageCannotHold) {
    for (const std::string utf8 : {"\u0100", "\u4E2D", "\U0001F600", "\xC3", "\xC0\xAF", "\xED\xA0\x80"}) {
        EXPECT_EQ(Utf8ToWindows1252(utf8), std::nullopt) << utf8;
    }
}

}  // namespace
}  // namespace vantor
