#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QSpinBox>
#include <QStyleOptionButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include "qt/by_log_window.h"
#include "qt/qt_view.h"
#include "tests/support/log_builder.h"
#include "tests/support/temp_dir.h"

// Failures show texts, not UTF-16 code units.
void PrintTo(const QString& text, std::ostream* out) { *out << text.toStdString(); }

namespace {

using vantor::Command;
using vantor::Control;
using vantor::testing::Pickup;

// Presses Go! and handles the window's events until the analysis is over.
void Go(QtView& form) {
    QTest::mouseClick(form.ControlWidget(Control::Command1), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.Scanning(); }, 60000));
}

// Answers each message box that opens while it lives: keeps its text, and OK.
struct MessageBoxes {
    QStringList texts;
    QTimer timer;
    MessageBoxes() {
        timer.callOnTimeout([this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->accept();
            }
        });
        timer.start(10);
    }
};

// The menu as the player sees it on opening it: "caption[ctrl key][ checked][ greyed]" each.
QString MenuState(QtView& form) {
    emit form.Menu()->aboutToShow();
    QStringList entries;
    for (const QAction* action : form.Menu()->actions()) {
        if (action->isSeparator()) continue;
        entries << action->text() + action->shortcut().toString() + (action->isChecked() ? QStringLiteral(" checked") : QString()) +
                       (action->isEnabled() ? QString() : QStringLiteral(" greyed"));
    }
    emit form.Menu()->aboutToHide();
    return entries.join(u'|');
}

TEST(QtView, BuildsTheControlTableInAFixedWindow) {
    QtView form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Vantor Log Analyzer"));
    EXPECT_EQ(form.windowIcon().availableSizes(), (QList<QSize>{QSize(16, 16), QSize(32, 32)}));
    for (const vantor::ControlEntry& entry : vantor::kControls) {
        const QWidget* widget = form.ControlWidget(entry.id);
        const QString name = QString::fromUtf8(entry.name.data(), static_cast<qsizetype>(entry.name.size()));
        EXPECT_EQ(widget->objectName(), entry.index < 0 ? name : name + u'_' + QString::number(entry.index));
        EXPECT_EQ(widget->geometry(), QRect(entry.left / 15, entry.top / 15, entry.width / 15, entry.height / 15)) << entry.name;
        if (entry.kind == vantor::ControlKind::Label || entry.kind == vantor::ControlKind::Option) {
            // Where the style draws the caption.
            QStyleOptionButton option;
            option.initFrom(widget);
            const QRect room = entry.kind == vantor::ControlKind::Label
                                   ? widget->contentsRect()
                                   : widget->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, widget);
            const QString caption = QString::fromUtf8(entry.caption.data(), static_cast<qsizetype>(entry.caption.size()));
            EXPECT_LE(widget->fontMetrics().boundingRect(caption).width(), room.width()) << entry.name << ": its caption is cut";
            EXPECT_LE(widget->fontMetrics().height(), room.height()) << entry.name;
        }
        if (entry.kind == vantor::ControlKind::TextBox) continue;  // txtLogDir holds the log folder
        EXPECT_EQ(form.Text(entry.id), entry.caption) << entry.name;
    }
    EXPECT_TRUE(static_cast<QAbstractButton*>(form.ControlWidget(Control::Option1_0))->isChecked());
    EXPECT_EQ(MenuState(form), QStringLiteral("CopyCtrl+C greyed|By Log...Ctrl+B|Skipped Records... greyed|"
                                              "Exact Names (Not the Game's Tally)|Follow the LogsCtrl+L|About Vantor Log Analyzer..."));
    QTest::keyClicks(form.ControlWidget(Control::Text1), QStringLiteral("7"));
    EXPECT_EQ(form.Text(Control::Text1), "") << "the quantity is typed into";
    // Nothing to maximise: the controls would sit in a corner.
    EXPECT_EQ(form.minimumSize(), QSize(523, 288));
    EXPECT_EQ(form.maximumSize(), QSize(523, 288));
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
}

// Clicks and keys reach Form1, and what it asks for reaches the widgets.
TEST(QtView, GoListClicksOptionsAndCloseGoThroughTheWidgets) {
    vantor::testing::TempDir dir;
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
        Go(form);
        QStringList items;
        for (int row = 0; row < list->count(); ++row) items << list->item(row)->text();
        return items.join(u'|');
    };
    EXPECT_TRUE(MenuState(form).startsWith(QStringLiteral("CopyCtrl+C greyed")));  // greyed while the menu shows only
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
    QTest::mouseClick(form.ControlWidget(Control::Command1), Qt::LeftButton);
    form.close();
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.isVisible(); }, 60000));
    EXPECT_EQ(list->count(), 0);
}

TEST(QtView, SkippedRecordsAreShownAndTheStatusLineKeepsItsPlace) {
    vantor::testing::TempDir dir;
    dir.Write("ActionLog0101.txt", Pickup("Widget(3)") + Pickup("Gem(x)") + Pickup("Cup(1)"));
    MessageBoxes boxes;
    QtView form;
    form.show();
    form.SetText(Control::txtLogDir, dir.text());
    form.SetText(Control::txtPID, "Alia");
    Go(form);
    const QString skipped = QStringLiteral("1 record could not be counted and was skipped. The totals leave them out.\n\n"
                                           "ActionLog0101.txt, line 2: 'Gem(x)'\n    quantity 'x' is not a number\n\n"
                                           "Ctrl+C copies this message.");
    EXPECT_EQ(boxes.texts, QStringList{skipped});
    form.CommandAction(Command::SkippedRecords)->trigger();
    EXPECT_EQ(boxes.texts, (QStringList{skipped, skipped}));

    const auto* status = static_cast<QLabel*>(form.ControlWidget(Control::Label3));
    EXPECT_EQ(form.Text(Control::Label3), "Alia, Picked Up: 1 log read, 2 items listed, 1 record skipped");
    EXPECT_EQ(status->toolTip(), QStringLiteral("Alia, Picked Up: 1 log read, 2 items listed, 1 record skipped"));
    EXPECT_TRUE(status->text().endsWith(u'\u2026')) << status->text().toStdString();
    EXPECT_LE(status->sizeHint().width(), status->width());
}

TEST(QtView, RemembersTheFolderAndThePlayer) {
    {
        QtView form;
        form.SetText(Control::txtLogDir, "/games/Caf\u00E9 logs/");
        form.SetText(Control::txtPID, "Caf\u00E9");
        form.close();
    }
    QtView again;
    EXPECT_EQ(again.Text(Control::txtLogDir), "/games/Caf\u00E9 logs/");
    EXPECT_EQ(again.Text(Control::txtPID), "Caf\u00E9");
}

QString Table(const QAbstractItemModel& model) {
    QStringList lines;
    for (int row = -1; row < model.rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model.columnCount(); ++column) {
            cells << (row < 0 ? model.headerData(column, Qt::Horizontal) : model.index(row, column).data()).toString();
        }
        lines << cells.join(u'|');
    }
    return lines.join(u'\n');
}

// How many runs of adjacent pixel columns hold `colour`: the bars drawn.
int Runs(const QImage& image, QColor colour) {
    int runs = 0;
    bool inRun = false;
    for (int x = 0; x < image.width(); ++x) {
        bool found = false;
        for (int y = 0; y < image.height() && !found; ++y) found = image.pixelColor(x, y) == colour;
        runs += found && !inRun;
        inRun = found;
    }
    return runs;
}

TEST(QtView, ByLogWindowShowsTheFormsTableAndChart) {
    vantor::testing::TempDir dir;
    dir.Write("ActionLog0101.txt", Pickup("Widget(4)") + Pickup("Rope(5)"));
    dir.Write("ActionLog0102.txt", Pickup("Widget(2)"));
    dir.Write("ActionLog0103.txt", Pickup("Widget(3)") + Pickup("Gem(1)"));
    QtView form({"Alia", dir.text(), false});
    form.show();
    Go(form);
    QTest::keyClick(form.ControlWidget(Control::txtPID), Qt::Key_L, Qt::ControlModifier);
    EXPECT_TRUE(MenuState(form).contains(QStringLiteral("Follow the LogsCtrl+L checked")));
    QTest::keyClick(form.ControlWidget(Control::txtPID), Qt::Key_B, Qt::ControlModifier);
    ByLogWindow* byLog = form.ByLog();
    ASSERT_NE(byLog, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == byLog; }));
    EXPECT_EQ(byLog->windowTitle(), QStringLiteral("By Log: Alia, Picked Up"));
    auto* table = byLog->findChild<QTableView*>(QStringLiteral("table"));
    const QAbstractItemModel& model = *table->model();
    EXPECT_EQ(Table(model), QStringLiteral("Item|Total|ActionLog0101.txt|ActionLog0102.txt|ActionLog0103.txt\n"
                                           "Widget|9|4|2|3\nRope|5|5|0|0\nGem|1|0|0|1"));
    EXPECT_EQ(model.index(0, 1).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));

    QWidget* chart = byLog->findChild<QWidget*>(QStringLiteral("chart"));
    const QColor bar = chart->palette().color(QPalette::Highlight);
    EXPECT_EQ(Runs(chart->grab().toImage(), bar), 0) << "no item selected";

    byLog->findChild<QComboBox*>(QStringLiteral("from"))->setCurrentIndex(1);
    QHeaderView* header = table->horizontalHeader();
    for (int click = 0; click < 2; ++click) {  // the form's order: largest first, then the other way round
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(1) + 4, 4));
    }
    EXPECT_EQ(Table(model), QStringLiteral("Item|Total|ActionLog0102.txt|ActionLog0103.txt\nGem|1|0|1\nWidget|5|2|3"));
    EXPECT_EQ(header->sortIndicatorSection(), 1);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(model.index(0, 0)).center());
    EXPECT_EQ(Runs(chart->grab().toImage(), bar), 1) << "Gem, in one of the two logs";
    QTest::keyClicks(byLog->findChild<QLineEdit*>(QStringLiteral("filter")), QStringLiteral("wid"));
    byLog->findChild<QSpinBox*>(QStringLiteral("last"))->setValue(3);
    EXPECT_EQ(Table(model), QStringLiteral("Item|Total|ActionLog0101.txt|ActionLog0102.txt|ActionLog0103.txt\n"
                                           "Widget|9|4|2|3"));
    EXPECT_EQ(byLog->findChild<QLabel*>(QStringLiteral("status"))->text(),
              QStringLiteral("1 of 3 items, 3 logs: ActionLog0101.txt to ActionLog0103.txt"));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(model.index(0, 0)).center());
    EXPECT_EQ(Runs(chart->grab().toImage(), bar), 3);
    QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("Item\tTotal\tActionLog0101.txt\tActionLog0102.txt\tActionLog0103.txt\r\nWidget\t9\t4\t2\t3\r\n"));
}

}  // namespace
