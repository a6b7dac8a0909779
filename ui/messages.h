#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace vantor {

class RunError;

// The text of the message box for a run-time error: its kind, the file, the
// line, the item entry and what went wrong.
QString DescribeRunError(const RunError& error);

// Shows a modal error message box owned by `owner`.
void ShowErrorMessage(QWidget* owner, const QString& title, const QString& text);

// Test seam: while set, ShowErrorMessage hands title and text to `handler`
// instead of opening a box. Pass nullptr to show boxes again.
void SetErrorMessageHandler(std::function<void(const QString& title, const QString& text)> handler);

}  // namespace vantor
