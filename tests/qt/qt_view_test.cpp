#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>
#include <fstream>
#include <map>

#include "qt/all_actions_window.h"
#include "qt/by_log_window.h"
#include "qt/qt_text.h"
#include "qt/qt_view.h"
#include "tests/support/fake_view.h"
#include "tests/support/log_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/window_follows.h"

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

// The menu as the player sees it on opening it: "caption[ctrl key][ checked][ greyed]|" each.
// A submenu's entries follow it in brackets.
QString MenuState(QtView& form, const QMenu* menu = nullptr) {
    if (menu == nullptr) emit form.Menu()->aboutToShow();
    QString state;
    for (const QAction* action : (menu != nullptr ? menu : form.Menu())->actions()) {
        state += action->text() + action->shortcut().toString() + QLatin1String(action->isChecked() ? " checked" : "") +
                 QLatin1String(action->isEnabled() ? "|" : " greyed|");
        if (action->menu() != nullptr) state += QLatin1Char('[') + MenuState(form, action->menu()) + QLatin1Char(']');
    }
    if (menu == nullptr) emit form.Menu()->aboutToHide();
    return state;
}

using vantor::testing::Follows;
using vantor::testing::kFollows;

TEST(QtView, BuildsTheControlTableInAWindowThatGrowsFromItsSize) {
    QtView form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Vantor Log Analyzer"));
    EXPECT_EQ(form.windowIcon().availableSizes().size(), 7);
    for (const vantor::ControlEntry& entry : vantor::kControls) {
        const QWidget* widget = form.ControlWidget(entry.id);
        if (entry.kind == vantor::ControlKind::Label || entry.kind == vantor::ControlKind::Option) {
            QStyleOptionButton option;  // the caption whole, where the style draws it
            option.initFrom(widget);
            const QRect room = entry.kind == vantor::ControlKind::Label
                                   ? widget->contentsRect()
                                   : widget->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, widget);
            const QSize caption = widget->fontMetrics().boundingRect(vantor::ToQString(entry.caption)).size();
            EXPECT_EQ(caption.boundedTo(room.size()), caption) << entry.name;
        }
        if (entry.kind != vantor::ControlKind::TextBox) { EXPECT_EQ(form.Text(entry.id), entry.caption) << entry.name; }
    }
    EXPECT_TRUE(static_cast<QAbstractButton*>(form.ControlWidget(Control::Option1_0))->isChecked());
    EXPECT_EQ(MenuState(form), QStringLiteral("CopyCtrl+C greyed|By Log...Ctrl+B|All Actions...Ctrl+E|Skipped Records... greyed||Exact Names (Not the "
                                              "Game's Tally)|Follow the LogsCtrl+L|New Session greyed||Code Page of the Logs|[Automatic checked||Thai (874)|"
                                              "Central European (1250)|Cyrillic (1251)|Western (1252)|Greek (1253)|"
                                              "Turkish (1254)|Hebrew (1255)|Arabic (1256)|Baltic (1257)|Vietnamese "
                                              "(1258)|]|About Vantor Log Analyzer...|"));
    QTest::keyClicks(form.ControlWidget(Control::Text1), QStringLiteral("7"));
    EXPECT_EQ(form.Text(Control::Text1), "") << "the quantity is typed into";
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.size(), QSize(523, 288));
    for (const vantor::ControlEntry& entry : vantor::kControls) {
        EXPECT_EQ(form.ControlWidget(entry.id)->geometry(),
                  QRect(entry.left / 15, entry.top / 15, entry.width / 15, entry.height / 15))
            << entry.name << entry.index;
    }
    std::map<Control, QRect> before;
    for (const Follows& f : kFollows) before[f.control] = form.ControlWidget(f.control)->geometry();
    form.resize(523 + 200, 288 + 100);
    QTest::qWait(0);
    for (const Follows& f : kFollows) {
        const QRect& was = before[f.control];
        const QRect now = form.ControlWidget(f.control)->geometry();
        EXPECT_EQ(now, QRect(QPoint(was.left() + 200 * f.leftX, was.top() + 100 * f.topY),
                             QPoint(was.right() + 200 * f.rightX, was.bottom() + 100 * f.bottomY)))
            << vantor::EntryOf(f.control).name;
    }
    form.resize(300, 200);
    QTest::qWait(0);
    EXPECT_EQ(form.size(), QSize(523, 288)) << "the table's size is the least";
}

// Clicks and keys reach Form1, and what it asks for reaches the widgets.
TEST(QtView, GoListClicksOptionsAndCloseGoThroughTheWidgets) {
    vantor::testing::TempDir dir;
    dir.Write("ActionLog0101.txt", Pickup("Widget(3)") + Pickup("\x80uro Coin(5)") +
                                       vantor::testing::Record("Alia", "[Sell]", "Rose(2)") + Pickup("Cup(1)", "Caf\xE9") +
                                       Pickup("\xD8\xEA\xF3\xF0\xE0(4)", "\xD1\xF2\xF0\xE0\xED\xED\xE8\xEA"));
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
    EXPECT_TRUE(MenuState(form).startsWith(QStringLiteral("CopyCtrl+C greyed")));  // and after it, enabled again
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
    // A code page chosen in the menu: a Russian Windows' records, read in it.
    const auto choose = [&](const QString& caption) {
        for (QAction* action : form.Menu()->findChildren<QAction*>()) action->text() == caption ? action->trigger() : void();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !form.Scanning(); }, 60000));
    };
    choose(QStringLiteral("Cyrillic (1251)"));
    EXPECT_EQ(go(0, QStringLiteral("\u0421\u0442\u0440\u0430\u043D\u043D\u0438\u043A")), QStringLiteral("\u0428\u043A\u0443\u0440\u0430"));
    choose(QStringLiteral("Automatic"));

    // Closed during a scan: the window closes once the current log is read,
    // and the next one starts with the same folder and player.
    QTest::mouseClick(form.ControlWidget(Control::Command1), Qt::LeftButton);
    form.close();
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.isVisible(); }, 60000));
    EXPECT_EQ(list->count(), 0);
    QtView next;
    EXPECT_EQ(next.Text(Control::txtLogDir) + "|" + next.Text(Control::txtPID), dir.text() + "|\u0421\u0442\u0440\u0430\u043D\u043D\u0438\u043A");
}

// The model's header and cells, a line each, as "cell|cell|...".
QString Table(const QAbstractItemModel& model) {
    QString table;
    for (int row = -1; row < model.rowCount(); ++row) {
        for (int column = 0; column < model.columnCount(); ++column) {
            table += (row < 0 ? model.headerData(column, Qt::Horizontal) : model.index(row, column).data()).toString() + u'|';
        }
        table += u'\n';
    }
    return table;
}

// How many runs of adjacent pixel columns hold `colour`: the bars drawn.
int Runs(const QImage& image, QColor colour) {
    int runs = 0;
    for (int x = 0, before = 0; x < image.width(); ++x) {
        int here = 0;
        for (int y = 0; y < image.height(); ++y) here |= image.pixelColor(x, y) == colour;
        runs += here > before;
        before = here;
    }
    return runs;
}

TEST(QtView, SkippedRecordsTheStatusLineAndTheByLogWindow) {
    vantor::testing::TempDir dir;
    const std::string player = "Alia of the Far North Road";  // a status line too long for the label
    dir.Write("ActionLog0101.txt", Pickup("Widget(4)", player) + Pickup("Rope(5)", player));
    dir.Write("ActionLog0102.txt", Pickup("Widget(2)", player) + vantor::testing::Record(player, "[Sell]", "Rope(2)"));
    dir.Write("ActionLog0103.txt", Pickup("Widget(3)", player) + Pickup("Gem(1)", player) + Pickup("Rope(x)", player));
    QtView form({player, dir.text(), false});
    QStringList boxes;  // what Ctrl+C copies of each message box, then OK
    QTimer answer;
    answer.callOnTimeout([&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box != nullptr && QApplication::focusWidget() != nullptr) {  // shown, and its button has the focus
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
            boxes << QGuiApplication::clipboard()->text();
            box->accept();
        }
    });
    answer.start(10);
    form.show();
    Go(form);
    form.CommandAction(Command::SkippedRecords)->trigger();  // the same again
    EXPECT_EQ(boxes.size(), 2);
    EXPECT_TRUE(boxes.value(1).contains(QStringLiteral("ActionLog0103.txt, line 3: 'Rope(x)'"))) << boxes.value(1).toStdString();
    const auto* status = static_cast<QLabel*>(form.ControlWidget(Control::Label3));
    EXPECT_EQ(status->toolTip(), QStringLiteral("Alia of the Far North Road, Picked Up: 3 items in 3 logs, 1 skipped"));
    EXPECT_EQ(vantor::ToQString(form.Text(Control::Label3)), status->toolTip());
    EXPECT_TRUE(status->text().endsWith(u'\u2026') && status->sizeHint().width() <= status->width()) << status->text().toStdString();

    form.activateWindow();  // as the window manager does once the message box is gone
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &form; }));
    QTest::keyClick(form.ControlWidget(Control::txtPID), Qt::Key_L, Qt::ControlModifier);
    EXPECT_TRUE(MenuState(form).contains(QStringLiteral("Follow the LogsCtrl+L checked|New Session|")));
    QTest::keyClick(form.ControlWidget(Control::txtPID), Qt::Key_B, Qt::ControlModifier);
    ByLogWindow* byLog = form.ByLog();
    ASSERT_NE(byLog, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == byLog; }));
    EXPECT_EQ(byLog->windowTitle(), QStringLiteral("By Log: Alia of the Far North Road, Picked Up"));
    auto* table = byLog->findChild<QTableView*>(QStringLiteral("table"));
    const QAbstractItemModel& model = *table->model();
    // Followed: each item's gain this session, 0 until the logs change.
    EXPECT_EQ(Table(model), QStringLiteral("Item|Total|Session|ActionLog0101.txt|ActionLog0102.txt|ActionLog0103.txt|\n"
                                           "Widget|9|0|4|2|3|\nRope|5|0|5|0|0|\nGem|1|0|0|0|1|\n"));
    EXPECT_EQ(model.index(0, 1).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));

    byLog->findChild<QComboBox*>(QStringLiteral("from"))->setCurrentIndex(1);
    QHeaderView* header = table->horizontalHeader();
    for (int click = 0; click < 2; ++click) {  // the form's order: largest first, then the other way round
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(1) + 4, 4));
    }
    EXPECT_EQ(Table(model), QStringLiteral("Item|Total|Session|ActionLog0102.txt|ActionLog0103.txt|\nGem|1|0|0|1|\nWidget|5|0|2|3|\n"));
    EXPECT_EQ(std::pair(header->sortIndicatorSection(), header->sortIndicatorOrder()), std::pair(1, Qt::AscendingOrder));
    QTest::keyClicks(byLog->findChild<QLineEdit*>(QStringLiteral("filter")), QStringLiteral("wid"));
    byLog->findChild<QSpinBox*>(QStringLiteral("last"))->setValue(3);
    EXPECT_EQ(Table(model), QStringLiteral("Item|Total|Session|ActionLog0101.txt|ActionLog0102.txt|ActionLog0103.txt|\nWidget|9|0|4|2|3|\n"));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(model.index(0, 0)).center());
    QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("Item\tTotal\tSession\tActionLog0101.txt\tActionLog0102.txt\tActionLog0103.txt\r\nWidget\t9\t0\t4\t2\t3\r\n"));

    // Ctrl+E: the four actions of the same player, read off the window's
    // thread, sorted by a header click; the skipped record on its line.
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &form; }));
    QTest::keyClick(form.ControlWidget(Control::txtPID), Qt::Key_E, Qt::ControlModifier);
    AllActionsWindow* all = form.AllActions();
    ASSERT_NE(all, nullptr);
    auto* ledger = all->findChild<QTableView*>(QStringLiteral("table"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ledger->model()->rowCount() == 3; }, 60000));
    EXPECT_EQ(all->windowTitle(), QStringLiteral("All Actions: Alia of the Far North Road"));
    QHeaderView* columns = ledger->horizontalHeader();
    QTest::mouseClick(columns->viewport(), Qt::LeftButton, {}, QPoint(columns->sectionViewportPosition(2) + 4, 4));
    // Followed: a Session column, 0 until the logs change.
    EXPECT_EQ(Table(*ledger->model()), QStringLiteral("Item|Picked Up|Sold|Bought|Shop|Net|Session|\nRope|5|2|0|0|3|0|\n"
                                                      "Widget|9|0|0|0|9|0|\nGem|1|0|0|0|1|0|\n"));
    EXPECT_TRUE(all->findChild<QLabel*>(QStringLiteral("problems"))->text().contains(QStringLiteral("line 3: 'Rope(x)'")));
    EXPECT_EQ(all->findChild<QLabel*>(QStringLiteral("status"))->text(),
              QStringLiteral("3 of 3 items, 3 logs: ActionLog0101.txt to ActionLog0103.txt, 1 skipped"));

    // The game writes: the gain beside the name in the list and in the Session column.
    auto* list = static_cast<QListWidget*>(form.ControlWidget(Control::List1));
    // The follow's first tally, where the session begins.
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.Text(Control::Label3).find(", session since ") != std::string::npos; }, 60000));
    std::ofstream(dir.path() / "ActionLog0103.txt", std::ios::binary | std::ios::app) << Pickup("Widget(6)", player);
    EXPECT_TRUE(QTest::qWaitFor([&] { return list->item(0)->text() == QStringLiteral("Widget (+6)"); }, 60000));
    EXPECT_EQ(model.index(0, vantor::ByLogForm::kSessionColumn).data().toString(), QStringLiteral("+6"));
}

// Typed "al": the completer shows Form1's IDs in Form1's order (most
// records first, not sorted), and the one picked by the keys goes in the box.
TEST(QtView, OffersThePlayersInFormsOrderAndPutsThePickInTheBox) {
    vantor::testing::TempDir dir;
    dir.Write("ActionLog0101.txt", Pickup("Bow(1)", "Malia") + Pickup("Bow(1)", "Alia") + Pickup("Bow(1)", "Malia") +
                                       Pickup("Bow(1)", "alia2") + Pickup("Bow(1)", "alia2") + Pickup("Bow(1)", "alia2"));
    QtView form({std::string(), dir.text(), false});
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.ControlWidget(Control::txtPID)->setFocus();
    QCompleter* completer = form.PlayerCompleter();
    QTest::keyClicks(form.ControlWidget(Control::txtPID), QStringLiteral("al"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return completer->popup()->isVisible(); }));
    QStringList shown;
    for (int row = 0; row < completer->completionModel()->rowCount(); ++row) {
        shown << completer->completionModel()->index(row, 0).data().toString();
    }
    EXPECT_EQ(shown, (QStringList{QStringLiteral("alia2"), QStringLiteral("Alia"), QStringLiteral("Malia")}));
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}) QTest::keyClick(completer->popup(), key);
    EXPECT_EQ(form.Text(Control::txtPID), "Alia");
    EXPECT_FALSE(completer->popup()->isVisible());
}

// In 96 dpi's font and then in 144 dpi's (half as large again), sorted by
// Total and then by a log whose caption grew in a new analysis of as many
// logs: each caption shows whole beside the arrow, as many of its pixels dark
// as in a section wide enough for anything. Then two rows chosen with Ctrl:
// a bar in each one's colour for each log with some, and its legend's swatch.
TEST(QtByLog, CaptionsShowWholeBesideTheArrowAndTheChartShowsEachChosenRowInItsColour) {
    vantor::testing::FakeView owner;
    vantor::ByLogForm form(owner);
    auto outcome = std::make_shared<vantor::TallyOutcome>();
    outcome->logs = {"ActionLog0301.txt", "ActionLog0302.txt", "ActionLog0303.txt"};
    outcome->rows = {{"Widget", "Widget", 9, {{0, 4, 1}, {1, 2, 2}, {2, 3, 1}}, {0, 1, 2}, {}},
                     {"Rope", "Rope", 6, {{0, 5, 1}, {2, 1, 1}}, {0, 2}, {}}};
    auto longer = std::make_shared<vantor::TallyOutcome>(*outcome);
    longer->logs[2] = "ActionLog20260303.txt";
    ByLogWindow window(form, nullptr);
    auto* table = window.findChild<QTableView*>(QStringLiteral("table"));
    QHeaderView& header = *table->horizontalHeader();
    const auto darkPixels = [&](int column) {  // the caption's and the arrow's
        const QImage image = header.grab().toImage();
        int dark = 0;
        for (int x = header.sectionViewportPosition(column), end = x + header.sectionSize(column); x < end; ++x) {
            for (int y = 0; y < image.height(); ++y) dark += image.pixelColor(x, y).lightness() < 110;
        }
        return dark;
    };
    for (const double scale : {1.0, 1.5}) {
        for (const auto& [shown, sorted] : {std::pair(outcome, 1), std::pair(longer, 4)}) {
            form.SetOutcome(shown, "Alia, Picked Up");
            window.Open();
            window.resize(2400, 900);  // room for any section made wider
            window.setFont(QFont(QApplication::font().family(), QApplication::font().pointSize() * scale));  // as on another screen
            form.Row_Click(0);  // a selected row's captions are bold
            form.Header_Click(sorted);
            for (int column = 0; column < form.ColumnCount(); ++column) {
                const int dark = darkPixels(column), width = header.sectionSize(column);
                header.resizeSection(column, width + 400);
                EXPECT_EQ(dark, darkPixels(column)) << scale << ": " << form.Header(column) << " in " << width;
                header.resizeSection(column, width);
            }
        }
    }
    form.Header_Click(vantor::ByLogForm::kItemColumn);  // Rope, Widget
    for (const int row : {0, 1}) {
        QTest::mouseClick(table->viewport(), Qt::LeftButton, row > 0 ? Qt::ControlModifier : Qt::NoModifier,
                          table->visualRect(table->model()->index(row, 0)).center());
    }
    QWidget* chart = window.findChild<QWidget*>(QStringLiteral("chart"));
    for (const auto& [series, runs] : {std::pair(0, 3), std::pair(1, 4)}) {
        const vantor::ChartColour& colour = vantor::kSeriesColours[series];
        EXPECT_EQ(Runs(chart->grab().toImage(), QColor(colour.red, colour.green, colour.blue)), runs) << series;
    }
}

}  // namespace
