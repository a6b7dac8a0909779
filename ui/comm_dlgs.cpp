#include "ui/comm_dlgs.h"

#include <QFileDialog>
#include <QStringList>

#include "store/run_error.h"

namespace CommDlgs {

namespace {

constexpr int kMaxFileName = 255;  // the platform dialog's file buffer

std::optional<QString> nextAnswer;
FileDialogRequest lastRequest;

// "description\0pattern\0..." to Qt's "description (pattern);;...".
QString QtFilter(const QString& FilterSpec) {
    const QStringList parts = FilterSpec.split(QChar(u'\0'), Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        filters << parts[i] + QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

}  // namespace

QString ShowFileDialog(QWidget* OwnerWindow, int DialogMode, const QString& DialogTitle,
                       const QString& InitialFileName, const QString& FilterSpec,
                       const QString& InitialDir, const QString& DefaultExt) {
    if (InitialFileName.size() > kMaxFileName) {
        throw vantor::RunError(vantor::ErrorKind::InvalidArgument,
                               "initial file name longer than 255 characters");
    }
    lastRequest = {DialogMode, DialogTitle, InitialFileName, QtFilter(FilterSpec), InitialDir,
                   DefaultExt};
    if (nextAnswer) {
        const QString answer = *nextAnswer;
        nextAnswer.reset();
        return answer;
    }

    QFileDialog dialog(OwnerWindow, DialogTitle, InitialDir, lastRequest.filter);
    if (DialogMode == 1) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    }
    dialog.setDefaultSuffix(DefaultExt);
    dialog.selectFile(InitialFileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

int FindLast(QString& SearchIn, QString& SearchFor, bool CaseSensitive, bool CountFromEnd) {
    if (!CaseSensitive) {
        SearchIn = SearchIn.toUpper();
        SearchFor = SearchFor.toUpper();
    }
    const qsizetype length = SearchIn.size();
    qsizetype last = 0;
    for (qsizetype i = 1; i <= length; ++i) {
        if (QStringView(SearchIn).mid(i - 1, SearchFor.size()) == SearchFor) last = i;
    }
    return static_cast<int>(CountFromEnd && last > 0 ? length - last + 1 : last);
}

void SetNextAnswer(const QString& answer) { nextAnswer = answer; }

const FileDialogRequest& LastRequest() { return lastRequest; }

}  // namespace CommDlgs
