#include <gtest/gtest.h>

#include <string>

#include "tests/support/scripts.h"
#include "tests/support/temp_dir.h"
#include "vantor/code_page.h"

namespace vantor {
namespace {

using testing::kScripts;

// Each script's names go to the bytes its chart gives and back, its letter
// case folds, and every byte of the code page survives the way there and
// back, undefined ones as the C1 control or Latin-1 character of their number.
TEST(CodePage, WritesAndReadsEachScriptAndEveryByte) {
    for (const testing::Script& s : kScripts) {
        SCOPED_TRACE(s.codePage);
        const CodePage page(s.codePage);
        EXPECT_EQ(page.FromUtf8(s.player).bytes, std::string(s.playerBytes));
        EXPECT_EQ(page.FromUtf8(s.item).bytes, std::string(s.itemBytes));
        EXPECT_EQ(page.ToUtf8(s.itemBytes), page.ToUtf8(*page.FromUtf8(s.item).bytes));
        if (s.codePage != 1258) {
            EXPECT_EQ(page.ToUtf8(s.playerBytes), s.player);
        }
        const auto other = page.FromUtf8(s.playerInOtherCase).bytes;
        ASSERT_TRUE(other);
        EXPECT_EQ(page.Folded(*other), page.Folded(s.playerBytes));
        for (unsigned byte = 0; byte < 256; ++byte) {
            const std::string one(1, static_cast<char>(byte));
            EXPECT_EQ(page.FromUtf8(page.ToUtf8(one)).bytes, one) << "byte " << byte;
        }
    }
    // Undefined: the one byte 1251 leaves out, and one of Thai's.
    EXPECT_EQ(CodePage(1251).ToUtf8("\x98"), "\xC2\x98");
    EXPECT_EQ(CodePage(874).ToUtf8("\xDB"), "\xC3\x9B");
    EXPECT_EQ(CodePage(1252).ToUtf8("\x81\x8D"), "\xC2\x81\xC2\x8D");
}

TEST(CodePage, SaysWhatItCannotWriteAndKeepsTextThatIsNoUtf8) {
    const CodePage::Encoded cyrillic = CodePage(1252).FromUtf8("Ab\xD0\xA1");  // 'С'
    EXPECT_FALSE(cyrillic.bytes);
    EXPECT_EQ(cyrillic.unwritable, U'\u0421');
    EXPECT_EQ(CodePage(1251).FromUtf8("\xD1\xF2").bytes, std::string("\xD1\xF2")) << "not UTF-8: the bytes as given";
    EXPECT_THROW(CodePage(1), std::invalid_argument);
    EXPECT_EQ(FoldedUtf8("\xCE\x91\xCE\x9B\xCE\x88 Ab \xFF"), "\xCE\xB1\xCE\xBB\xCE\xAD ab \xFF");
}

TEST(CodePage, ComesFromTheLocaleOrTheWinePrefix) {
    const std::pair<const char*, unsigned> locales[] = {
        {"ru_RU.UTF-8", 1251}, {"uk_UA", 1251}, {"sr_RS", 1251},      {"sr_RS@latin", 1250}, {"pl_PL.UTF-8", 1250},
        {"el_GR", 1253},       {"tr_TR", 1254}, {"az_AZ", 1254},      {"he_IL", 1255},       {"fa_IR", 1256},
        {"lv_LV", 1257},       {"vi_VN", 1258}, {"th_TH.UTF-8", 874}, {"de_DE.UTF-8", 1252}, {"C.UTF-8", 1252},
        {"", 1252},
    };
    for (const auto& [locale, codePage] : locales) EXPECT_EQ(CodePageOfLocale(locale), codePage) << locale;

    testing::TempDir prefix;
    prefix.Write("system.reg",
                 "WINE REGISTRY Version 2\r\n\r\n[System\\\\CurrentControlSet\\\\Control\\\\Nls\\\\Language] 1\r\n"
                 "\"ACP\"=\"9\"\r\n\r\n[System\\\\CurrentControlSet\\\\Control\\\\Nls\\\\CodePage] 1700000000\r\n"
                 "#time=1\r\n\"1252\"=\"c_1252.nls\"\r\n\"ACP\"=\"1251\"\r\n\"OEMCP\"=\"866\"\r\n");
    const std::string folder = prefix.text() + "drive_c/users/steamuser/My Documents/LOG/";
    EXPECT_EQ(CodePageOfPrefix(folder), 1251u);
#ifndef _WIN32
    EXPECT_EQ(AutomaticCodePage(folder), 1251u) << "the prefix over the locale";
#endif
    EXPECT_EQ(CodePageOfPrefix(prefix.text() + "LOG/"), std::nullopt) << "no drive_c: no prefix";
}

}  // namespace
}  // namespace vantor
