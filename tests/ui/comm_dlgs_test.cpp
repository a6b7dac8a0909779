#include <gtest/gtest.h>

#include <vector>

#include "store/run_error.h"
#include "ui/comm_dlgs.h"

namespace {

TEST(FindLast, FindsTheLastStart) {
    struct Case {
        const char* in;
        const char* forText;
        bool caseSensitive;
        bool fromEnd;
        int expected;
    };
    const std::vector<Case> cases = {
        {"a\\b\\c", "\\", false, false, 4}, {"a\\b\\c", "\\", false, true, 2},
        {"abc", "\\", false, false, 0},     {"abc", "\\", false, true, 0},
        {"aaa", "aa", true, false, 2},      {"ABC", "b", false, false, 2},
        {"ABC", "b", true, false, 0},       {"abc", "", true, false, 3},
        {"abc", "", true, true, 1},         {"", "a", false, false, 0},
        {"abcab", "ab", true, true, 2},     {"ab", "abc", true, false, 0},
    };
    for (const auto& c : cases) {
        QString in = QString::fromLatin1(c.in);
        QString forText = QString::fromLatin1(c.forText);
        EXPECT_EQ(CommDlgs::FindLast(in, forText, c.caseSensitive, c.fromEnd), c.expected)
            << c.in << " / " << c.forText;
    }
}

TEST(FindLast, UpperCasesTheCallersTextsWhenNotCaseSensitive) {
    QString in = QStringLiteral("C:\\Logs\\ActionLog0102.txt");
    QString forText = QStringLiteral("log");
    EXPECT_EQ(CommDlgs::FindLast(in, forText, false, false), 15);
    EXPECT_EQ(in, QStringLiteral("C:\\LOGS\\ACTIONLOG0102.TXT"));
    EXPECT_EQ(forText, QStringLiteral("LOG"));
}

TEST(ShowFileDialog, LongInitialFileNameFailsBeforeTheDialog) {
    CommDlgs::SetNextAnswer(QStringLiteral("/never/used.txt"));
    try {
        CommDlgs::ShowFileDialog(nullptr, 1, {}, QString(256, u'x'), {}, {}, {});
        FAIL() << "no error";
    } catch (const vantor::RunError& error) {
        EXPECT_EQ(error.kind(), vantor::ErrorKind::InvalidArgument);
    }
    // The preset answer is still there for the next dialog.
    EXPECT_EQ(CommDlgs::ShowFileDialog(nullptr, 1, {}, QString(255, u'x'), {}, {}, {}),
              QStringLiteral("/never/used.txt"));
}

}  // namespace
