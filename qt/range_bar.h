#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <QStringList>
#include <QWidget>

class QComboBox;
class QLineEdit;
class QSpinBox;

// The row above a table window's table: the filter, the range of logs From
// and To, and the Last so many logs. Its boxes are named "filter", "from",
// "to" and "last". What the player changes goes to the form; what Refresh
// shows does not come back to it.
class RangeBar : public QWidget {
    Q_OBJECT

public:
    struct Events {
        std::function<void(std::string_view)> filterChange;
        std::function<void(int)> fromChange;  // log indexes, as Refresh's
        std::function<void(int)> toChange;
        std::function<void(int)> lastChange;  // the last `count` logs
    };

    // Over a form with From_Change, To_Change, Last_Change and Filter_Change.
    template <class Form>
    RangeBar(Form& form, QWidget* parent)
        : RangeBar(Events{[&form](std::string_view text) { form.Filter_Change(text); },
                          [&form](int index) { form.From_Change(index); }, [&form](int index) { form.To_Change(index); },
                          [&form](int count) { form.Last_Change(count); }},
                   parent) {}
    RangeBar(Events events, QWidget* parent);

    // Shows the form's LogNames, From, To and Filter.
    template <class Form>
    void Refresh(const Form& form) {
        Refresh(form.LogNames(), form.From(), form.To(), form.Filter());
    }
    void Refresh(const std::vector<std::string>& logs, int from, int to, std::string_view filter);

    QComboBox* FromBox() const { return mFrom; }
    QComboBox* ToBox() const { return mTo; }

private:
    Events mEvents;
    QLineEdit* mFilter = nullptr;
    QComboBox* mFrom = nullptr;
    QComboBox* mTo = nullptr;
    QSpinBox* mLast = nullptr;
    QStringList mLogs;         // what From and To list
    bool mRefreshing = false;  // the boxes are being set from the form, not by the player
};
