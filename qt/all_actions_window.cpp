#include "qt/all_actions_window.h"

#include <utility>

#include <QBoxLayout>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QTableView>

#include "qt/form_table.h"
#include "qt/qt_text.h"
#include "qt/range_bar.h"

using vantor::ToQString;

class AllActionsModel : public FormTableModel<vantor::AllActionsForm> {
public:
    using FormTableModel::FormTableModel;
};

AllActionsWindow::AllActionsWindow(vantor::AllActionsForm& form, QWidget* owner)
    : QWidget(owner, Qt::Window), mForm(form) {
    setObjectName(QStringLiteral("AllActions"));
    // Created in tab order: the filter and the range above the table.
    mRange = new RangeBar(form, this);
    for (QComboBox* box : {mRange->FromBox(), mRange->ToBox()}) {
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);  // the logs come later
    }
    mModel = new AllActionsModel(form, this);
    mTable = new QTableView(this);
    mTable->setModel(mModel);
    SetUpFormTable(mTable, QAbstractItemView::SingleSelection, form);
    auto* note = new QLabel(ToQString(vantor::AllActionsForm::Note()), this);
    note->setWordWrap(true);
    mProblems = new QLabel(this);
    mProblems->setWordWrap(true);
    mProblems->setTextFormat(Qt::PlainText);  // item names are the logs' text, never markup
    mStatus = new QLabel(this);
    mStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);  // a long status does not widen the window
    mStatus->setTextFormat(Qt::PlainText);
    const std::pair<QWidget*, const char16_t*> names[] = {
        {mTable, u"table"}, {note, u"note"}, {mProblems, u"problems"}, {mStatus, u"status"}};
    for (const auto& [widget, name] : names) widget->setObjectName(QString::fromUtf16(name));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(mStatus, 1);
    AddCopyAndSave(this, buttons, mForm);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mRange);
    layout->addWidget(mTable, 1);
    layout->addWidget(note);
    layout->addWidget(mProblems);
    layout->addLayout(buttons);
    resize(720, 480);
}

AllActionsWindow::~AllActionsWindow() { mForm.Attach(nullptr); }

void AllActionsWindow::Open() {
    mForm.Attach(this);
    show();
    raise();
    activateWindow();
}

void AllActionsWindow::closeEvent(QCloseEvent* event) {
    mForm.Attach(nullptr);
    event->accept();
}

void AllActionsWindow::Refresh() {
    setWindowTitle(ToQString(mForm.Caption()));
    mRange->Refresh(mForm);

    if (mModel->Update()) mTable->resizeColumnsToContents();
    ShowSortOrder(mTable, mForm.SortColumn(), mForm.SortDescending());
    const QString problems = ToQString(mForm.Problems());
    mProblems->setText(problems);
    mProblems->setVisible(!problems.isEmpty());
    mStatus->setText(ToQString(mForm.Status()));
}
