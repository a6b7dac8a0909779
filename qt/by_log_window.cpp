#include "qt/by_log_window.h"

#include <algorithm>
#include <utility>

#include <QAbstractTableModel>
#include <QAction>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>

#include "qt/qt_text.h"

using vantor::ToQString;

// ByLogForm's table as Qt's views ask for it, cell by cell: nothing is copied.
class ByLogModel : public QAbstractTableModel {
public:
    ByLogModel(const vantor::ByLogForm& form, QObject* parent) : QAbstractTableModel(parent), mForm(form) {}

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

    // The form changed. A table of the same shape is only repainted, so the
    // view keeps its selection, scroll position and column widths; another
    // is laid out again. Returns whether the columns changed.
    bool Update() {
        const int rows = mForm.RowCount();
        const int columns = mForm.ColumnCount();
        if (rows == mRows && columns == mColumns) {
            if (rows > 0 && columns > 0) emit dataChanged(index(0, 0), index(rows - 1, columns - 1));
            if (columns > 0) emit headerDataChanged(Qt::Horizontal, 0, columns - 1);
            return false;
        }
        const bool newColumns = columns != mColumns;
        beginResetModel();
        mRows = rows;
        mColumns = columns;
        endResetModel();
        return newColumns;
    }

private:
    const vantor::ByLogForm& mForm;
    int mRows = 0;
    int mColumns = 0;
};

namespace {

// The selected item per log, laid out by the form for the widget's size and
// font; the widget only draws it.
class ChartView : public QWidget {
public:
    ChartView(const vantor::ByLogForm& form, QWidget* parent) : QWidget(parent), mForm(form) {
        setMinimumSize(200, 120);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QPalette& colours = palette();
        painter.fillRect(rect(), colours.color(QPalette::Base));
        const QFontMetrics metrics = fontMetrics();
        const vantor::TextMetrics measure{
            [&metrics](std::string_view text) { return metrics.horizontalAdvance(ToQString(text)); }, metrics.height()};
        const vantor::ChartPicture picture = mForm.Chart(width(), height(), measure);
        const auto line = [&painter](const vantor::ChartLine& l) { painter.drawLine(l.x1, l.y1, l.x2, l.y2); };

        QColor faint = colours.color(QPalette::Text);
        faint.setAlpha(50);
        painter.setPen(faint);
        for (const vantor::ChartLine& grid : picture.gridLines) line(grid);
        for (const vantor::ChartRect& bar : picture.bars) {
            painter.fillRect(QRect(bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top),
                             colours.color(QPalette::Highlight));
        }
        painter.setPen(colours.color(QPalette::Text));
        line(picture.zeroLine);
        for (const vantor::ChartText& text : picture.texts) {
            painter.drawText(text.left, text.top + metrics.ascent(), ToQString(text.text));
        }
    }

private:
    const vantor::ByLogForm& mForm;
};

}  // namespace

ByLogWindow::ByLogWindow(vantor::ByLogForm& form, QWidget* owner) : QWidget(owner, Qt::Window), mForm(form) {
    setObjectName(QStringLiteral("ByLog"));
    // Created in tab order: the range and the filter above the table.
    mFilter = new QLineEdit(this);
    mFilter->setPlaceholderText(QStringLiteral("Part of an item's name"));
    mFilter->setClearButtonEnabled(true);
    mFrom = new QComboBox(this);
    mTo = new QComboBox(this);
    mLast = new QSpinBox(this);
    mModel = new ByLogModel(form, this);
    mTable = new QTableView(this);
    mTable->setModel(mModel);
    mTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    mTable->setSelectionMode(QAbstractItemView::SingleSelection);
    mTable->verticalHeader()->hide();
    mTable->verticalHeader()->setDefaultSectionSize(mTable->fontMetrics().height() + 6);  // more rows in view
    QHeaderView* header = mTable->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    mChart = new ChartView(form, this);
    mStatus = new QLabel(this);
    mStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);  // a long status does not widen the window
    auto* copy = new QPushButton(QStringLiteral("&Copy"), this);
    auto* saveCsv = new QPushButton(QStringLiteral("&Save as CSV..."), this);
    const std::pair<QWidget*, const char16_t*> names[] = {
        {mTable, u"table"}, {mChart, u"chart"},   {mFilter, u"filter"}, {mFrom, u"from"},    {mTo, u"to"},
        {mLast, u"last"},   {mStatus, u"status"}, {copy, u"copy"},      {saveCsv, u"saveCsv"}};
    for (const auto& [widget, name] : names) widget->setObjectName(QString::fromUtf16(name));

    auto* range = new QHBoxLayout;
    range->addWidget(new QLabel(QStringLiteral("Filter:"), this));
    range->addWidget(mFilter, 1);
    range->addSpacing(12);
    range->addWidget(new QLabel(QStringLiteral("From"), this));
    range->addWidget(mFrom);
    range->addWidget(new QLabel(QStringLiteral("To"), this));
    range->addWidget(mTo);
    range->addSpacing(12);
    range->addWidget(new QLabel(QStringLiteral("Last"), this));
    range->addWidget(mLast);
    range->addWidget(new QLabel(QStringLiteral("logs"), this));
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(mTable);
    split->addWidget(mChart);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    split->setChildrenCollapsible(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(mStatus, 1);
    buttons->addWidget(copy);
    buttons->addWidget(saveCsv);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(range);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);
    resize(800, 560);

    const auto unlessRefreshing = [this](auto handler) {
        return [this, handler](auto... value) {
            if (!mRefreshing) handler(value...);
        };
    };
    connect(mFilter, &QLineEdit::textChanged, this,
            unlessRefreshing([this](const QString& text) { mForm.Filter_Change(vantor::FromQString(text)); }));
    connect(mFrom, &QComboBox::currentIndexChanged, this, unlessRefreshing([this](int index) { mForm.From_Change(index); }));
    connect(mTo, &QComboBox::currentIndexChanged, this, unlessRefreshing([this](int index) { mForm.To_Change(index); }));
    connect(mLast, &QSpinBox::valueChanged, this, unlessRefreshing([this](int count) { mForm.Last_Change(count); }));
    connect(header, &QHeaderView::sectionClicked, this, unlessRefreshing([this](int column) { mForm.Header_Click(column); }));
    connect(mTable->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            unlessRefreshing([this](const QModelIndex& current, const QModelIndex&) { mForm.Row_Click(current.row()); }));
    connect(copy, &QPushButton::clicked, this, [this] { mForm.Copy_Click(); });
    connect(saveCsv, &QPushButton::clicked, this, [this] { mForm.SaveCsv_Click(); });
    auto* copyKey = new QAction(this);
    copyKey->setShortcut(QKeySequence::Copy);  // a box with the focus copies its own text first
    addAction(copyKey);
    connect(copyKey, &QAction::triggered, this, [this] { mForm.Copy_Click(); });
}

ByLogWindow::~ByLogWindow() { mForm.Attach(nullptr); }

void ByLogWindow::Open() {
    mForm.Attach(this);
    show();
    raise();
    activateWindow();
}

void ByLogWindow::closeEvent(QCloseEvent* event) {
    mForm.Attach(nullptr);
    event->accept();
}

void ByLogWindow::Refresh() {
    mRefreshing = true;
    setWindowTitle(ToQString(mForm.Caption()));
    QStringList logs;
    for (const std::string& name : mForm.LogNames()) logs << ToQString(name);
    if (logs != mLogs) {
        mLogs = logs;
        for (QComboBox* box : {mFrom, mTo}) {
            box->clear();
            box->addItems(logs);
            box->setEnabled(!logs.isEmpty());
        }
        mLast->setRange(1, std::max<int>(1, static_cast<int>(logs.size())));
        mLast->setEnabled(!logs.isEmpty());
    }
    mFrom->setCurrentIndex(mForm.From());
    mTo->setCurrentIndex(mForm.To());
    mLast->setValue(mForm.To() - mForm.From() + 1);
    if (mFilter->text() != ToQString(mForm.Filter())) mFilter->setText(ToQString(mForm.Filter()));

    if (mModel->Update()) mTable->resizeColumnsToContents();
    mTable->horizontalHeader()->setSortIndicator(mForm.SortColumn(),
                                                 mForm.SortDescending() ? Qt::DescendingOrder : Qt::AscendingOrder);
    const int selected = mForm.SelectedRow();
    if (selected < 0) {
        mTable->selectionModel()->clear();
    } else {
        mTable->selectionModel()->setCurrentIndex(mModel->index(selected, 0),
                                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    mStatus->setText(ToQString(mForm.Status()));
    mChart->update();
    mRefreshing = false;
}
