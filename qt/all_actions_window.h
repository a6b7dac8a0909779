#pragma once

#include <QStringList>
#include <QWidget>

#include "ui/all_actions.h"

class AllActionsModel;
class QLabel;
class RangeBar;
class QTableView;

// The All Actions window in Qt Widgets: AllActionsForm's table, its range,
// filter and order. It shows what the form says and hands every event to
// it: the form filters and sorts, not Qt. Its widgets are named
// (objectName) "filter", "from", "to", "last", "table", "note", "problems",
// "status", "copy" and "saveCsv".
class AllActionsWindow : public QWidget, public vantor::AllActionsView {
    Q_OBJECT

public:
    // A top-level window of its own over `owner`; `form` outlives it.
    AllActionsWindow(vantor::AllActionsForm& form, QWidget* owner);
    ~AllActionsWindow() override;

    // Shows it, up to date and in front.
    void Open();
    void Refresh() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    vantor::AllActionsForm& mForm;
    AllActionsModel* mModel = nullptr;
    QTableView* mTable = nullptr;
    RangeBar* mRange = nullptr;  // the filter and the logs' range
    QLabel* mProblems = nullptr;
    QLabel* mStatus = nullptr;
};
