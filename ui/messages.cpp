#include "ui/messages.h"

#include <QMessageBox>

#include "analysis/windows1252.h"
#include "store/run_error.h"

namespace vantor {

namespace {

std::function<void(const QString&, const QString&)> errorHandler;

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QString DescribeRunError(const RunError& error) {
    QString text = QStringLiteral("Run-time error: ") + FromUtf8(KindName(error.kind())) + u'\n';
    if (!error.file().empty()) text += QStringLiteral("File: ") + FromUtf8(error.file()) + u'\n';
    if (error.line() > 0) text += QStringLiteral("Line: ") + QString::number(error.line()) + u'\n';
    if (error.line() > 0) text += QStringLiteral("Item: ") + FromUtf8(Windows1252ToUtf8(error.item())) + u'\n';
    // File errors name paths (UTF-8); the others quote log text (Windows-1252).
    text += error.kind() == ErrorKind::FileError ? FromUtf8(error.detail())
                                                 : FromUtf8(Windows1252ToUtf8(error.detail()));
    return text;
}

void ShowErrorMessage(QWidget* owner, const QString& title, const QString& text) {
    if (errorHandler) {
        errorHandler(title, text);
        return;
    }
    QMessageBox::critical(owner, title, text);
}

void SetErrorMessageHandler(std::function<void(const QString&, const QString&)> handler) {
    errorHandler = std::move(handler);
}

}  // namespace vantor
