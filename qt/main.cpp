#include <QApplication>

#include "qt/qt_view.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QtView window;
    window.show();
    return QApplication::exec();
}
