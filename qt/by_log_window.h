#pragma once

#include <QStringList>
#include <QWidget>

#include "ui/by_log.h"

class ByLogModel;
class QCheckBox;
class QLabel;
class RangeBar;
class QTableView;

// The By log window in Qt Widgets: ByLogForm's table, its range, filter and
// order, and the chart of the selected item. It shows what the form says and
// hands every event to it: the form filters and sorts, not Qt. Its widgets
// are named (objectName) "filter", "from", "to", "last", "table", "chart",
// "cumulative", "status", "copy" and "saveCsv".
class ByLogWindow : public QWidget, public vantor::ByLogView {
    Q_OBJECT

public:
    // A top-level window of its own over `owner`; `form` outlives it.
    ByLogWindow(vantor::ByLogForm& form, QWidget* owner);
    ~ByLogWindow() override;

    // Shows it, up to date and in front.
    void Open();
    void Refresh() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    std::vector<int> SelectedRows() const;  // the table's, in order
    void FitColumns();

    vantor::ByLogForm& mForm;
    ByLogModel* mModel = nullptr;
    QTableView* mTable = nullptr;
    QWidget* mChart = nullptr;
    RangeBar* mRange = nullptr;  // the filter and the logs' range
    QCheckBox* mCumulative = nullptr;
    QLabel* mStatus = nullptr;
    QStringList mHeaders;      // the captions the columns were fitted to
    bool mRefreshing = false;  // the widgets are being set from the form, not by the player
};
