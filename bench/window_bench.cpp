// Times the window's Go! over a log folder:
//
//   window_bench FOLDER PLAYER [RUNS]
//
// Presses Go! once, then RUNS times (default 3) timed, with "Picked Up"
// chosen, on Qt's offscreen platform unless QT_QPA_PLATFORM names another,
// and prints the mean wall time in seconds from the press until the list is
// filled (the analysis runs on a thread of its own), and the number of
// items listed. The window's settings go to a temporary folder, not the
// user's.

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "qt/qt_view.h"

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fputs("usage: window_bench FOLDER PLAYER [RUNS]\n", stderr);
        return 2;
    }
    const int runs = argc == 4 ? std::atoi(argv[3]) : 3;
    if (runs < 1) {
        std::fputs("window_bench: RUNS must be a positive whole number\n", stderr);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    const QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());

    QtView form;
    form.show();
    auto* folder = form.findChild<QLineEdit*>(QStringLiteral("txtLogDir"));
    auto* player = form.findChild<QLineEdit*>(QStringLiteral("txtPID"));
    auto* go = form.findChild<QPushButton*>(QStringLiteral("Command1"));
    auto* list = form.findChild<QListWidget*>(QStringLiteral("List1"));
    if (folder == nullptr || player == nullptr || go == nullptr || list == nullptr) {
        std::fputs("window_bench: the window lacks a control it needs\n", stderr);
        return 1;
    }
    folder->setText(QString::fromLocal8Bit(argv[1]));
    player->setText(QString::fromLocal8Bit(argv[2]));

    qint64 total = 0;
    for (int run = 0; run <= runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        go->click();
        while (form.Scanning()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (run > 0) total += timer.nsecsElapsed();  // the first press warms up
    }
    std::printf("%.4f %d\n", static_cast<double>(total) / runs / 1e9, list->count());
    return 0;
}
