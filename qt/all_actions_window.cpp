#include "qt/all_actions_window.h"

#include <utility>

#include <QAbstractTableModel>
#include <QAction>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

#include "qt/qt_text.h"
#include "qt/range_bar.h"

using vantor::ToQString;

// AllActionsForm's table as Qt's views ask for it, cell by cell.
class AllActionsModel : public QAbstractTableModel {
public:
    AllActionsModel(const vantor::AllActionsForm& form, QObject* parent) : QAbstractTableModel(parent), mForm(form) {}

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : mRows; }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : mColumns; }

    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole) return ToQString(mForm.Cell(index.row(), index.column()));
        if (role == Qt::TextAlignmentRole && mForm.IsNumber(index.column())) {
            return static_cast<int>(Qt::AlignRight | Qt::AlignVCenter);
        }
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole) return ToQString(mForm.Header(section));
        return QAbstractTableModel::headerData(section, orientation, role);
    }

    // The form changed: a table of the same shape is only repainted, so the
    // view keeps its scroll position and column widths. Returns whether the
    // columns are to fit their cells again: other columns, or the first rows
    // of a ledger.
    bool Update() {
        const int rows = mForm.RowCount();
        const int columns = mForm.ColumnCount();
        if (rows == mRows && columns == mColumns) {
            if (rows > 0 && columns > 0) emit dataChanged(index(0, 0), index(rows - 1, columns - 1));
            return false;
        }
        const bool newColumns = columns != mColumns || (mRows == 0 && rows > 0);
        beginResetModel();
        mRows = rows;
        mColumns = columns;
        endResetModel();
        return newColumns;
    }

private:
    const vantor::AllActionsForm& mForm;
    int mRows = 0;
    int mColumns = 0;
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
    mTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    mTable->setSelectionMode(QAbstractItemView::SingleSelection);
    mTable->verticalHeader()->hide();
    mTable->verticalHeader()->setDefaultSectionSize(mTable->fontMetrics().height() + 6);
    QHeaderView* header = mTable->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    auto* note = new QLabel(ToQString(vantor::AllActionsForm::Note()), this);
    note->setWordWrap(true);
    mProblems = new QLabel(this);
    mProblems->setWordWrap(true);
    mProblems->setTextFormat(Qt::PlainText);  // item names are the logs' text, never markup
    mStatus = new QLabel(this);
    mStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);  // a long status does not widen the window
    mStatus->setTextFormat(Qt::PlainText);
    auto* copy = new QPushButton(QStringLiteral("&Copy"), this);
    auto* saveCsv = new QPushButton(QStringLiteral("&Save as CSV..."), this);
    const std::pair<QWidget*, const char16_t*> names[] = {
        {mTable, u"table"}, {note, u"note"},       {mProblems, u"problems"},
        {mStatus, u"status"}, {copy, u"copy"}, {saveCsv, u"saveCsv"}};
    for (const auto& [widget, name] : names) widget->setObjectName(QString::fromUtf16(name));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(mStatus, 1);
    buttons->addWidget(copy);
    buttons->addWidget(saveCsv);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mRange);
    layout->addWidget(mTable, 1);
    layout->addWidget(note);
    layout->addWidget(mProblems);
    layout->addLayout(buttons);
    resize(720, 480);

    const auto unlessRefreshing = [this](auto handler) {
        return [this, handler](auto... value) {
            if (!mRefreshing) handler(value...);
        };
    };
    connect(header, &QHeaderView::sectionClicked, this, unlessRefreshing([this](int column) { mForm.Header_Click(column); }));
    connect(copy, &QPushButton::clicked, this, [this] { mForm.Copy_Click(); });
    connect(saveCsv, &QPushButton::clicked, this, [this] { mForm.SaveCsv_Click(); });
    auto* copyKey = new QAction(this);
    copyKey->setShortcut(QKeySequence::Copy);  // a box with the focus copies its own text first
    addAction(copyKey);
    connect(copyKey, &QAction::triggered, this, [this] { mForm.Copy_Click(); });
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
    mRefreshing = true;
    setWindowTitle(ToQString(mForm.Caption()));
    mRange->Refresh(mForm);

    if (mModel->Update()) mTable->resizeColumnsToContents();
    mTable->horizontalHeader()->setSortIndicator(mForm.SortColumn(),
                                                 mForm.SortDescending() ? Qt::DescendingOrder : Qt::AscendingOrder);
    const QString problems = ToQString(mForm.Problems());
    mProblems->setText(problems);
    mProblems->setVisible(!problems.isEmpty());
    mStatus->setText(ToQString(mForm.Status()));
    mRefreshing = false;
}
