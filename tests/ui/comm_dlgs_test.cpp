#include <gtest/gtest.h>

#include <string>

#include "vantor/run_error.h"
#include "tests/support/fake_view.h"
#include "ui/comm_dlgs.h"
#include "ui/font_fit.h"

namespace {

std::string AsciiUpper(std::string_view text) { return vantor::testing::FakeView().UpperCase(text); }

TEST(FindLast, FindsTheLastStart) {
    // The last of overlapping starts, counted from either end; letter case
    // ignored but for CaseSensitive; none found is 0 from either end.
    const struct { std::string in, forText; bool caseSensitive, fromEnd; int expected; } cases[] = {
        {"a\\b\\c", "\\", false, false, 4}, {"a\\b\\c", "\\", false, true, 2}, {"aaa", "aa", true, false, 2},
        {"ABC", "b", false, false, 2},      {"ABC", "b", true, false, 0},       {"abc", "\\", false, true, 0},
    };
    for (const auto& c : cases) {
        std::string in = c.in, forText = c.forText;
        EXPECT_EQ(CommDlgs::FindLast(in, forText, c.caseSensitive, c.fromEnd, AsciiUpper), c.expected)
            << c.in << " / " << c.forText;
        // Without CaseSensitive the caller's texts are upper-cased too.
        EXPECT_EQ(in + '/' + forText, c.caseSensitive ? c.in + '/' + c.forText : AsciiUpper(c.in + '/' + c.forText));
    }
}

TEST(ShowFileDialog, LongInitialFileNameFailsBeforeTheDialog) {
    vantor::testing::FakeView view;
    std::string longest;
    for (int i = 0; i < 255; ++i) longest += "\u00E9";  // 255 characters, 510 bytes
    EXPECT_THROW(CommDlgs::ShowFileDialog(view, 1, "", longest + "x", "", "", ""), vantor::RunError) << "256 characters";
    EXPECT_TRUE(view.dialogs.empty());
    CommDlgs::ShowFileDialog(view, 2, "Save", longest, "", "", "txt");
    ASSERT_EQ(view.dialogs.size(), 1u);
    EXPECT_FALSE(view.dialogs[0].open);
    EXPECT_EQ(view.dialogs[0].flags, 0x806u);
}

TEST(FileNameOf, JoinsThePartsIntoANameEveryFileSystemHolds) {
    std::string longPlayer;
    for (int i = 0; i < 300; ++i) longPlayer += "\u00E9";
    const struct { std::vector<std::string> parts; std::string name; } cases[] = {
        {{"Alia", "Picked Up", "ActionLog0101", "ActionLog0103"}, "Alia-Picked-Up-ActionLog0101-ActionLog0103.csv"},
        {{" A:l/i\\a|?\t ", "Sold to NPC"}, "A_l_i_a___-Sold-to-NPC.csv"},
        {{"", "  "}, "tally.csv"},
        {{longPlayer, "Picked Up"}, longPlayer.substr(0, 2 * 125) + "-Picked-Up.csv"},  // within the dialog's 255
    };
    for (const auto& c : cases) EXPECT_EQ(CommDlgs::FileNameOf(c.parts, ".csv"), c.name) << c.name;
}

// A face whose captions overflow at every listed size shrinks until they
// fit; a face that fits is taken as it is, before any that comes after it.
TEST(FitFont, TakesTheFirstThatFitsElseShrinksTheClosest) {
    using vantor::FontChoice;
    // Overflow grows with the size: 2 pixels a point beyond a face's limit.
    const auto overflow = [](const FontChoice& font) {
        const double limit = font.face == "Narrow" ? 8 : font.face == "Wide" ? 5 : 7;
        return static_cast<int>((font.points - limit) * 2);
    };
    const std::vector<FontChoice> fits = {{"Wide", 9}, {"Narrow", 8}, {"Plain", 7}};
    EXPECT_EQ(vantor::FitFont(fits, overflow), (FontChoice{"Narrow", 8}));
    const std::vector<FontChoice> none = {{"Wide", 9}, {"Plain", 9}, {"Narrow", 10}};
    EXPECT_EQ(vantor::FitFont(none, overflow), (FontChoice{"Plain", 7}));
    EXPECT_EQ(vantor::FitFont({{"Wide", 9}}, overflow, 6), (FontChoice{"Wide", 6})) << "no smaller than asked";
}

}  // namespace
