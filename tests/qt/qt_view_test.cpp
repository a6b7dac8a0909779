#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "qt/qt_view.h"
#include "tests/support/log_builder.h"
#include "tests/support/temp_dir.h"

namespace {

using vantor::Control;
using vantor::testing::LogBuilder;
using vantor::testing::TempDir;

TEST(QtView, BuildsTheControlTable) {
    QtView form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Vantor Log Analyzer"));
    EXPECT_EQ(form.size(), QSize(523, 288));
    EXPECT_EQ(form.windowIcon().availableSizes(), (QList<QSize>{QSize(16, 16), QSize(32, 32)}));
    for (const vantor::ControlSpec& spec : vantor::kControls) {
        const QWidget* widget = form.ControlWidget(spec.id);
        const QString name = QString::fromUtf8(spec.name.data(), static_cast<qsizetype>(spec.name.size()));
        EXPECT_EQ(widget->objectName(), spec.index < 0 ? name : name + u'_' + QString::number(spec.index));
        EXPECT_EQ(widget->geometry(), QRect(spec.left / 15, spec.top / 15, spec.width / 15, spec.height / 15))
            << spec.name.data();
    }
    EXPECT_TRUE(form.findChild<QRadioButton*>(QStringLiteral("Option1_0"))->isChecked());
    EXPECT_EQ(form.findChild<QRadioButton*>(QStringLiteral("Option1_3"))->text(),
              QStringLiteral("Bought from Player Shop"));
    for (auto* button : form.findChildren<QPushButton*>()) EXPECT_FALSE(button->autoDefault());
    const QList<QAction*> listMenu = form.ControlWidget(Control::List1)->actions();
    ASSERT_EQ(listMenu.size(), 1);
    EXPECT_EQ(listMenu[0]->text(), QStringLiteral("About Vantor Log Analyzer..."));

    // Tab walks the table's order, labels left out.
    QWidget* widget = form.ControlWidget(Control::txtLogDir);
    QStringList order;
    for (; order.size() < 7; widget = widget->nextInFocusChain()) {
        if ((widget->focusPolicy() & Qt::TabFocus) != 0) order << widget->objectName();
    }
    EXPECT_EQ(order, (QStringList{QStringLiteral("txtLogDir"), QStringLiteral("btnBrowse"), QStringLiteral("Command1"),
                                  QStringLiteral("txtPID"), QStringLiteral("List1"), QStringLiteral("Text1"),
                                  QStringLiteral("Option1_0")}));
}

// The events reach Form1 and its answers reach the widgets.
TEST(QtView, GoAListClickAndAnOptionGoThroughTheWidgets) {
    TempDir dir;
    dir.Write("ActionLog0101.txt", LogBuilder()
                                       .Record("Alia", "[Pickup]", "Widget(3)")
                                       .Record("Alia", "[Pickup]", "\x80uro Coin(5)")
                                       .Record("Alia", "[Sell]", "Rose(2)")
                                       .Record("Caf\xE9", "[Pickup]", "Cup(1)")
                                       .str());
    QtView form;
    form.show();
    auto* list = form.findChild<QListWidget*>(QStringLiteral("List1"));
    form.findChild<QLineEdit*>(QStringLiteral("txtLogDir"))->setText(QString::fromStdString(dir.text()));
    form.findChild<QLineEdit*>(QStringLiteral("txtPID"))->setText(QStringLiteral("Alia"));
    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("\u20ACuro Coin"));
    EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("Label3"))->text(), QStringLiteral("1 log read, 2 items listed"));
    EXPECT_TRUE(form.findChild<QPushButton*>(QStringLiteral("Command1"))->hasFocus());

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    EXPECT_EQ(form.findChild<QLineEdit*>(QStringLiteral("Text1"))->text(), QStringLiteral("5"));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(form.findChild<QLineEdit*>(QStringLiteral("Text1"))->text(), QStringLiteral("3"));

    QTest::mouseClick(form.findChild<QRadioButton*>(QStringLiteral("Option1_1")), Qt::LeftButton, {}, QPoint(6, 8));  // on the indicator
    form.findChild<QLineEdit*>(QStringLiteral("txtPID"))->setText(QStringLiteral("Alia"));
    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("Rose"));

    QTest::mouseClick(form.findChild<QRadioButton*>(QStringLiteral("Option1_0")), Qt::LeftButton, {}, QPoint(6, 8));  // on the indicator
    form.findChild<QLineEdit*>(QStringLiteral("txtPID"))->setText(QStringLiteral("Caf\u00E9"));
    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("Cup"));
}

TEST(QtView, ClosingDuringAScanClosesAfterTheCurrentLog) {
    TempDir dir;
    dir.Write("ActionLog0101.txt", LogBuilder().Record("Alia", "[Pickup]", "Widget(3)").str());
    dir.Write("ActionLog0102.txt", LogBuilder().Record("Alia", "[Pickup]", "Widget(4)").str());
    QtView form;
    form.show();
    form.findChild<QLineEdit*>(QStringLiteral("txtLogDir"))->setText(QString::fromStdString(dir.text()));
    QMetaObject::invokeMethod(&form, &QWidget::close, Qt::QueuedConnection);  // handled at the first event pass
    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("Label3"))->text(), QStringLiteral("Processing ActionLog0101.txt"));
    EXPECT_EQ(form.findChild<QListWidget*>(QStringLiteral("List1"))->count(), 0);
}

}  // namespace
