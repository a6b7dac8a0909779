#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QHelpEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QToolTip>

#include "qt/qt_view.h"
#include "tests/support/log_builder.h"
#include "tests/support/temp_dir.h"

namespace {

using vantor::Control;

TEST(QtView, BuildsTheControlTable) {
    QtView form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Vantor Log Analyzer"));
    EXPECT_EQ(form.size(), QSize(523, 288));
    EXPECT_EQ(form.windowIcon().availableSizes(), (QList<QSize>{QSize(16, 16), QSize(32, 32)}));
    for (const vantor::ControlEntry& entry : vantor::kControls) {
        const QWidget* widget = form.ControlWidget(entry.id);
        const QString name = QString::fromUtf8(entry.name.data(), static_cast<qsizetype>(entry.name.size()));
        EXPECT_EQ(widget->objectName(), entry.index < 0 ? name : name + u'_' + QString::number(entry.index));
        EXPECT_EQ(widget->geometry(), QRect(entry.left / 15, entry.top / 15, entry.width / 15, entry.height / 15)) << entry.name;
        if (entry.kind == vantor::ControlKind::TextBox) continue;  // txtLogDir holds the log folder
        EXPECT_EQ(form.Text(entry.id), entry.caption) << entry.name;
    }
    EXPECT_TRUE(static_cast<QAbstractButton*>(form.ControlWidget(Control::Option1_0))->isChecked());
    QStringList listMenu;
    for (const QAction* action : form.ControlWidget(Control::List1)->actions()) listMenu << action->text();
    EXPECT_EQ(listMenu.join(u'|'), QStringLiteral("Copy|About Vantor Log Analyzer..."));
}

// Clicks and keys reach Form1, and what it asks for reaches the widgets.
TEST(QtView, GoListClicksOptionsAndCloseGoThroughTheWidgets) {
    vantor::testing::TempDir dir;
    using vantor::testing::Pickup;
    dir.Write("ActionLog0101.txt", Pickup("Widget(3)") + Pickup("\x80uro Coin(5)") +
                                       vantor::testing::Record("Alia", "[Sell]", "Rose(2)") + Pickup("Cup(1)", "Caf\xE9"));
    QtView form;
    form.show();
    form.SetText(Control::txtLogDir, dir.text());
    auto* list = static_cast<QListWidget*>(form.ControlWidget(Control::List1));
    // Clicks the option, types the player and clicks Go!: the listed items.
    const auto go = [&](int option, const QString& player) {
        QTest::mouseClick(form.ControlWidget(vantor::OptionControl(option)), Qt::LeftButton, {}, QPoint(6, 8));  // on the indicator
        static_cast<QLineEdit*>(form.ControlWidget(Control::txtPID))->setText(player);
        QTest::mouseClick(form.ControlWidget(Control::Command1), Qt::LeftButton);
        QStringList items;
        for (int row = 0; row < list->count(); ++row) items << list->item(row)->text();
        return items.join(u'|');
    };
    EXPECT_EQ(go(0, QStringLiteral("Alia")), QStringLiteral("Widget|\u20ACuro Coin"));
    EXPECT_TRUE(form.ControlWidget(Control::Command1)->hasFocus());
    const QPoint second = list->visualItemRect(list->item(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second);
    EXPECT_EQ(form.Text(Control::Text1), "5");
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Widget\t3\r\n\u20ACuro Coin\t5\r\n"));
    QHelpEvent hover(QEvent::ToolTip, second, list->viewport()->mapToGlobal(second));
    QApplication::sendEvent(list->viewport(), &hover);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("\u20ACuro Coin: 5"));
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(form.Text(Control::Text1), "3");
    EXPECT_EQ(go(1, QStringLiteral("Alia")), QStringLiteral("Rose"));
    EXPECT_EQ(go(0, QStringLiteral("Caf\u00E9")), QStringLiteral("Cup"));

    // Closed during a scan: the window closes once the current log is read.
    QMetaObject::invokeMethod(&form, &QWidget::close, Qt::QueuedConnection);  // handled at the first event pass
    EXPECT_EQ(go(0, QStringLiteral("Alia")), QString());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.Text(Control::Label3), "Processing ActionLog0101.txt");
}

}  // namespace
