#pragma once

#include <QString>
#include <optional>

class QWidget;

// General dialog routines: the platform's open and save dialogs, and finding
// the last occurrence of one text in another.
namespace CommDlgs {

// Shows the open dialog (DialogMode 1) or the save dialog (any other mode),
// native where the platform has one. FilterSpec is "description\0pattern"
// pairs. The open dialog asks for an existing file, the save dialog confirms
// an overwrite. Returns the chosen full path, or empty text when cancelled.
// An InitialFileName longer than 255 characters is an InvalidArgument
// RunError, raised before any dialog opens.
QString ShowFileDialog(QWidget* OwnerWindow, int DialogMode, const QString& DialogTitle,
                       const QString& InitialFileName, const QString& FilterSpec,
                       const QString& InitialDir, const QString& DefaultExt);

// 1-based start of the last occurrence of SearchFor in SearchIn, 0 if none;
// overlapping occurrences count. With CountFromEnd and a match, the position
// counted from the end (length - position + 1). Without CaseSensitive both
// arguments are first replaced by their upper-case forms, in the caller's
// variables too.
int FindLast(QString& SearchIn, QString& SearchFor, bool CaseSensitive, bool CountFromEnd);

// What the last ShowFileDialog call asked for.
struct FileDialogRequest {
    int mode = 0;
    QString title;
    QString initialFileName;
    QString filter;  // as handed to Qt, e.g. "Vantor Log Files (*.txt)"
    QString initialDir;
    QString defaultExt;
};

// Test seam: the next ShowFileDialog returns `answer` (empty: cancelled)
// without showing a dialog, and records what it was asked for.
void SetNextAnswer(const QString& answer);
const FileDialogRequest& LastRequest();

}  // namespace CommDlgs
