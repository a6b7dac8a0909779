#include <gtest/gtest.h>

#include <string>

#include "store/run_error.h"
#include "tests/support/fake_view.h"
#include "ui/comm_dlgs.h"

namespace {

std::string AsciiUpper(std::string_view text) { return vantor::testing::FakeView().UpperCase(text); }

TEST(FindLast, FindsTheLastStart) {
    const struct { std::string in, forText; bool caseSensitive, fromEnd; int expected; } cases[] = {
        {"a\\b\\c", "\\", false, false, 4}, {"a\\b\\c", "\\", false, true, 2}, {"abc", "\\", false, false, 0},
        {"abc", "\\", false, true, 0},      {"aaa", "aa", true, false, 2},      {"ABC", "b", false, false, 2},
        {"ABC", "b", true, false, 0},       {"abc", "", true, false, 3},        {"abc", "", true, true, 1},
        {"", "a", false, false, 0},         {"abcab", "ab", true, true, 2},     {"ab", "abc", true, false, 0},
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

}  // namespace
