#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

#include "tests/support/log_builder.h"
#include "tests/support/temp_dir.h"
#include "ui/comm_dlgs.h"
#include "ui/form1.h"
#include "ui/messages.h"

namespace {

using vantor::testing::LogBuilder;
using vantor::testing::TempDir;

class Form1Test : public ::testing::Test {
protected:
    void SetUp() override {
        dir.Write("ActionLog0101.txt", LogBuilder().Record("Alia", "[Pickup]", "Widget(3)")
                                           .Record("Alia", "[Sell]", "Rose(2)")
                                           .Record("Caf\xE9", "[Pickup]", "Cup(1)").str());
        dir.Write("ActionLog0102.txt", LogBuilder().Record("Alia", "[Pickup]", "Widget(4)")
                                           .Record("Alia", "[Pickup]", "\x80uro Coin(5)").str());
        vantor::SetErrorMessageHandler([this](const QString&, const QString& text) { messages << text; });
        form->show();
        Find<QLineEdit>("txtLogDir")->setText(QString::fromStdString(dir.text()));
        Find<QLineEdit>("txtPID")->setText(QStringLiteral("Alia"));
    }
    void TearDown() override { vantor::SetErrorMessageHandler(nullptr); }

    template <typename Widget>
    Widget* Find(const char* name) {
        auto* widget = form->findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void Go() { QTest::mouseClick(Find<QPushButton>("Command1"), Qt::LeftButton); }
    QStringList Items() {
        QStringList texts;
        for (int row = 0; row < list()->count(); ++row) texts << list()->item(row)->text();
        return texts;
    }
    void ClickRow(int row) {
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(list()->item(row)).center());
    }
    QListWidget* list() { return Find<QListWidget>("List1"); }
    QString total() { return Find<QLineEdit>("Text1")->text(); }

    TempDir dir;
    std::unique_ptr<Form1> form = std::make_unique<Form1>();
    QStringList messages;
};

TEST(Form1Start, ShowsDefaultsAndLayout) {
    Form1 form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Vantor Log Analyzer"));
    EXPECT_EQ(form.size(), QSize(523, 288));
    EXPECT_EQ(form.windowIcon().availableSizes(), (QList<QSize>{QSize(16, 16), QSize(32, 32)}));
    EXPECT_TRUE(form.DefaultLogDir().endsWith(QStringLiteral("My Documents/Halvern/ZENTHARA/LOG/")));
    EXPECT_EQ(form.findChild<QLineEdit*>(QStringLiteral("txtLogDir"))->text(), Form1::DefaultLogDir());
    EXPECT_TRUE(form.findChild<QRadioButton*>(QStringLiteral("Option1_0"))->isChecked());
    EXPECT_EQ(form.findChild<QRadioButton*>(QStringLiteral("Option1_3"))->text(), QStringLiteral("Bought from Player Shop"));
    for (const char* box : {"txtPID", "Text1"}) EXPECT_TRUE(form.findChild<QLineEdit*>(QString::fromLatin1(box))->text().isEmpty());
    EXPECT_TRUE(form.findChild<QLabel*>(QStringLiteral("Label3"))->text().isEmpty());
    EXPECT_EQ(form.findChild<QListWidget*>(QStringLiteral("List1"))->geometry(), QRect(184, 96, 201, 160));
    EXPECT_EQ(form.findChild<QRadioButton*>(QStringLiteral("Option1_2"))->geometry(), QRect(16, 152, 137, 17));
}

TEST_F(Form1Test, GoListsItemsAndAClickShowsTheTotalOverAllFiles) {
    Go();
    Go();  // the store starts empty each time: no doubled totals
    EXPECT_EQ(Items(), (QStringList{QStringLiteral("Widget"), QStringLiteral("\u20ACuro Coin")}));
    EXPECT_EQ(Find<QLabel>("Label3")->text(), QStringLiteral("Processing ActionLog0102.txt"));
    ClickRow(0);
    EXPECT_EQ(total(), QStringLiteral("7"));
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_Down);
    EXPECT_EQ(total(), QStringLiteral("5")) << "keyboard selection, found by the item's bytes";
    list()->setCurrentRow(-1);
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, QPoint(100, 150));  // below the items
    EXPECT_EQ(total(), QStringLiteral("5"));
}

TEST_F(Form1Test, OptionsChooseTheActionAndPlayerIdIsWindows1252) {
    QTest::mouseClick(Find<QRadioButton>("Option1_1"), Qt::LeftButton);
    Go();
    EXPECT_EQ(Items(), QStringList{QStringLiteral("Rose")});
    QTest::mouseClick(Find<QRadioButton>("Option1_0"), Qt::LeftButton);
    Find<QLineEdit>("txtPID")->setText(QStringLiteral("Caf\u00E9"));
    Go();
    EXPECT_EQ(Items(), QStringList{QStringLiteral("Cup")});
    Find<QLineEdit>("txtPID")->setText(QStringLiteral("Caf\u0113"));  // no Windows-1252 code
    Go();
    EXPECT_TRUE(Items().isEmpty());
}

TEST_F(Form1Test, AnErrorIsShownAndTheWindowGoesOn) {
    dir.Write("ActionLog0103.txt", LogBuilder().Record("Alia", "[Pickup]", "Bar(1)(2)").str());
    Go();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QStringLiteral("Run-time error: type mismatch\nFile: ActionLog0103.txt\nLine: 1\n"
                                          "Item: Bar(1)(2)\nquantity '1)(2' is not a number"));
    EXPECT_TRUE(Items().isEmpty());
    EXPECT_TRUE(Find<QPushButton>("Command1")->isEnabled());
    dir.Write("ActionLog0103.txt", "");
    Go();
    EXPECT_EQ(Items().size(), 2);

    // A folder that does not exist: nothing listed, nothing to report, and the window goes on.
    const QString status = Find<QLabel>("Label3")->text();
    Find<QLineEdit>("txtLogDir")->setText(QString::fromStdString(dir.text() + "missing/"));
    Go();
    EXPECT_TRUE(Items().isEmpty());
    EXPECT_EQ(Find<QLabel>("Label3")->text(), status);
    EXPECT_EQ(messages.size(), 1);
    Find<QLineEdit>("txtLogDir")->setText(QString::fromStdString(dir.text()));
    Go();
    EXPECT_EQ(Items().size(), 2);
}

TEST_F(Form1Test, BrowseTakesTheChosenFilesFolder) {
    const QString before = Find<QLineEdit>("txtLogDir")->text();
    CommDlgs::SetNextAnswer({});  // cancelled
    QTest::mouseClick(Find<QPushButton>("btnBrowse"), Qt::LeftButton);
    EXPECT_EQ(Find<QLineEdit>("txtLogDir")->text(), before);
    const CommDlgs::FileDialogRequest& asked = CommDlgs::LastRequest();
    EXPECT_EQ(asked.mode, 1);
    EXPECT_EQ(asked.title, QStringLiteral("Open Vantor log file"));
    EXPECT_EQ(asked.initialFileName, QStringLiteral("*.txt"));
    EXPECT_EQ(asked.filter, QStringLiteral("Vantor Log Files (*.txt)"));
    EXPECT_EQ(asked.initialDir, before);

    CommDlgs::SetNextAnswer(QStringLiteral("/home/Alia/Game Logs/ActionLog0102.txt"));
    QTest::mouseClick(Find<QPushButton>("btnBrowse"), Qt::LeftButton);
    EXPECT_EQ(Find<QLineEdit>("txtLogDir")->text(), QStringLiteral("/home/Alia/Game Logs/"));
}

TEST_F(Form1Test, ClosingDuringAScanStopsItAfterTheCurrentFile) {
    QMetaObject::invokeMethod(form.get(), &QWidget::close, Qt::QueuedConnection);  // handled at the first event pass
    Go();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(Find<QLabel>("Label3")->text(), QStringLiteral("Processing ActionLog0101.txt"));
    EXPECT_TRUE(Items().isEmpty());
}

}  // namespace
