// Times how soon the window shows what the game writes while it follows:
//
//   follow_bench [RUNS]
//
// Makes a folder with one log, starts the window (Qt, offscreen unless
// QT_QPA_PLATFORM names another platform) following it for Alia, then RUNS
// times (default 20) appends a record of a new item to the log, as the game
// does, and times until the list shows it. Prints the median and the
// slowest time in milliseconds.

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "qt/qt_view.h"

namespace {

std::string Pickup(const std::string& item) {
    return "2026-01-02 10:11:12\tAlia\tMap03\t[Pickup]\t1024,768\t" + item + "\r\n";
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 20;
    if (argc > 2 || runs < 1) {
        std::fputs("usage: follow_bench [RUNS]\n", stderr);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    const QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    const QTemporaryDir logs;
    const std::string log = logs.path().toStdString() + "/ActionLog0101.txt";
    std::ofstream(log, std::ios::binary) << Pickup("Red Potion(1)");

    QtView form({"Alia", logs.path().toStdString() + "/", true});
    form.show();
    auto* list = form.findChild<QListWidget*>(QStringLiteral("List1"));
    const auto waitFor = [&](int count) {
        QElapsedTimer waited;
        waited.start();
        while (list->count() < count && waited.elapsed() < 60000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        return list->count() >= count;
    };
    if (!waitFor(1)) {
        std::fputs("follow_bench: the window listed nothing in a minute\n", stderr);
        return 1;
    }
    std::vector<double> times;
    for (int run = 1; run <= runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        std::ofstream(log, std::ios::binary | std::ios::app) << Pickup("Item " + std::to_string(run) + "(1)");
        if (!waitFor(run + 1)) {
            std::fputs("follow_bench: a write was not shown in a minute\n", stderr);
            return 1;
        }
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("write to window: median %.1f ms, slowest %.1f ms (%d writes)\n", times[times.size() / 2], times.back(),
                runs);
    return 0;
}
