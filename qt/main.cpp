#include <QApplication>

#include <cstdio>

#include "qt/qt_view.h"
#include "ui/start_arguments.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Where QSettings keeps the folder and the player: ~/.config/vantor/vantor-log-analyzer.conf.
    QApplication::setOrganizationName(QStringLiteral("vantor"));
    QApplication::setApplicationName(QStringLiteral("vantor-log-analyzer"));
    std::vector<std::string> arguments;
    for (const QString& argument : QApplication::arguments().mid(1)) arguments.push_back(argument.toStdString());
    const std::optional<vantor::StartArguments> start = vantor::ParseStartArguments(arguments);
    if (!start) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(vantor::kStartUsage.size()), vantor::kStartUsage.data());
        return 2;
    }
    QtView window(*start);
    window.show();
    return QApplication::exec();
}
