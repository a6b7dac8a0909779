#include "qt/by_log_window.h"

#include <algorithm>
#include <utility>

#include <QBoxLayout>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QSplitter>
#include <QTableView>
#include <QToolTip>

#include "qt/form_table.h"
#include "qt/qt_text.h"
#include "qt/range_bar.h"

using vantor::ToQString;

// ByLogForm's table, its captions aligned as their columns' cells.
class ByLogModel : public FormTableModel<vantor::ByLogForm> {
public:
    using FormTableModel::FormTableModel;

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole) {
            return static_cast<int>((mForm.IsNumber(section) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        }
        return FormTableModel::headerData(section, orientation, role);
    }
};

namespace {

// The selected items per log, laid out by the form for the widget's size and
// font; the widget only draws it, and shows the form's tip for the log under
// the mouse.
class ChartView : public QWidget {
public:
    ChartView(const vantor::ByLogForm& form, QWidget* parent) : QWidget(parent), mForm(form) {
        setMinimumSize(200, 120);
    }

protected:
    bool event(QEvent* event) override {
        if (event->type() != QEvent::ToolTip) return QWidget::event(event);
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = ToQString(mForm.ChartTip(width(), height(), Measure(), help->pos().x(), help->pos().y()));
        tip.isEmpty() ? QToolTip::hideText() : QToolTip::showText(help->globalPos(), tip, this);
        return true;
    }

    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QPalette& colours = palette();
        painter.fillRect(rect(), colours.color(QPalette::Base));
        const vantor::ChartPicture picture = mForm.Chart(width(), height(), Measure());
        const auto line = [&painter](const vantor::ChartLine& l) { painter.drawLine(l.x1, l.y1, l.x2, l.y2); };

        QColor faint = colours.color(QPalette::Text);
        faint.setAlpha(50);
        painter.setPen(faint);
        for (const vantor::ChartLine& grid : picture.gridLines) line(grid);
        for (const auto* rects : {&picture.bars, &picture.swatches}) {
            for (const vantor::ChartRect& bar : *rects) {
                const vantor::ChartColour& colour = vantor::kSeriesColours[bar.series];
                painter.fillRect(QRect(bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top),
                                 QColor(colour.red, colour.green, colour.blue));
            }
        }
        painter.setPen(colours.color(QPalette::Text));
        line(picture.zeroLine);
        const int ascent = fontMetrics().ascent();
        for (const vantor::ChartText& text : picture.texts) {
            painter.drawText(text.left, text.top + ascent, ToQString(text.text));
        }
    }

private:
    vantor::TextMetrics Measure() const {
        return {[metrics = fontMetrics()](std::string_view text) { return metrics.horizontalAdvance(ToQString(text)); },
                fontMetrics().height()};
    }

    const vantor::ByLogForm& mForm;
};

}  // namespace

ByLogWindow::ByLogWindow(vantor::ByLogForm& form, QWidget* owner) : QWidget(owner, Qt::Window), mForm(form) {
    setObjectName(QStringLiteral("ByLog"));
    // Created in tab order: the range and the filter above the table.
    mRange = new RangeBar(form, this);
    mModel = new ByLogModel(form, this);
    mTable = new QTableView(this);
    mTable->setModel(mModel);
    SetUpFormTable(mTable, QAbstractItemView::ExtendedSelection, form);  // Ctrl and Shift chart up to three
    mChart = new ChartView(form, this);
    mCumulative = new QCheckBox(QStringLiteral("&Running total"), this);
    mStatus = new QLabel(this);
    mStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);  // a long status does not widen the window
    const std::pair<QWidget*, const char16_t*> names[] = {
        {mTable, u"table"}, {mChart, u"chart"}, {mStatus, u"status"}, {mCumulative, u"cumulative"}};
    for (const auto& [widget, name] : names) widget->setObjectName(QString::fromUtf16(name));

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(mTable);
    split->addWidget(mChart);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    split->setChildrenCollapsible(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(mStatus, 1);
    buttons->addWidget(mCumulative);
    AddCopyAndSave(this, buttons, mForm);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mRange);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);
    resize(800, 560);

    const auto unlessRefreshing = [this](auto handler) {
        return [this, handler](auto... value) {
            if (!mRefreshing) handler(value...);
        };
    };
    connect(mTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            unlessRefreshing([this](const QItemSelection&, const QItemSelection&) { mForm.Rows_Select(SelectedRows()); }));
    connect(mCumulative, &QCheckBox::toggled, this, unlessRefreshing([this](bool on) { mForm.Cumulative_Change(on); }));
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
    mRange->Refresh(mForm);

    mModel->Update();
    ShowSortOrder(mTable, mForm.SortColumn(), mForm.SortDescending());
    FitColumns();
    // The player's own selection stays as made (and its current row); the
    // form's otherwise, after a new order or filter.
    const std::vector<int> selected = mForm.SelectedRows();
    if (selected != SelectedRows()) {
        QItemSelection rows;
        for (const int row : selected) rows.select(mModel->index(row, 0), mModel->index(row, mModel->columnCount({}) - 1));
        mTable->selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        if (!selected.empty()) {
            mTable->selectionModel()->setCurrentIndex(mModel->index(selected.front(), 0), QItemSelectionModel::NoUpdate);
            mTable->scrollTo(mModel->index(selected.front(), 0));
        }
    }
    mCumulative->setChecked(mForm.Cumulative());
    mStatus->setText(ToQString(mForm.Status()));
    mChart->update();
    mRefreshing = false;
}

std::vector<int> ByLogWindow::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& row : mTable->selectionModel()->selectedRows()) rows.push_back(row.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

// Each column as wide as its caption beside the sort arrow (the header's
// size hint) and its cells, again whenever the captions or the font change:
// a new range of as many logs has other captions in the same columns.
void ByLogWindow::FitColumns() {
    QStringList headers;
    for (int column = 0; column < mModel->columnCount({}); ++column) {
        headers << mModel->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    }
    if (headers == mHeaders) return;
    mHeaders = headers;
    mTable->resizeColumnsToContents();
}

void ByLogWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        mHeaders.clear();
        FitColumns();
    }
    QWidget::changeEvent(event);
}
