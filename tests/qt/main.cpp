#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>

#include "qt/qt_text.h"
#include "tests/support/temp_dir.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    // The window's settings go to a folder of the run's own, never the user's.
    const vantor::testing::TempDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, vantor::ToQString(settings.text()));
    return RUN_ALL_TESTS();
}
