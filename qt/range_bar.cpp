#include "qt/range_bar.h"

#include <algorithm>
#include <utility>

#include <QBoxLayout>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include "qt/qt_text.h"

using vantor::ToQString;

RangeBar::RangeBar(Events events, QWidget* parent) : QWidget(parent), mEvents(std::move(events)) {
    // Created in tab order, ahead of the window's table.
    mFilter = new QLineEdit(this);
    mFilter->setPlaceholderText(QStringLiteral("Part of an item's name"));
    mFilter->setClearButtonEnabled(true);
    mFrom = new QComboBox(this);
    mTo = new QComboBox(this);
    mLast = new QSpinBox(this);
    const std::pair<QWidget*, const char16_t*> names[] = {
        {mFilter, u"filter"}, {mFrom, u"from"}, {mTo, u"to"}, {mLast, u"last"}};
    for (const auto& [widget, name] : names) widget->setObjectName(QString::fromUtf16(name));

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);  // lined up with the table below, as a row of the window's own
    row->addWidget(new QLabel(QStringLiteral("Filter:"), this));
    row->addWidget(mFilter, 1);
    row->addSpacing(12);
    row->addWidget(new QLabel(QStringLiteral("From"), this));
    row->addWidget(mFrom);
    row->addWidget(new QLabel(QStringLiteral("To"), this));
    row->addWidget(mTo);
    row->addSpacing(12);
    row->addWidget(new QLabel(QStringLiteral("Last"), this));
    row->addWidget(mLast);
    row->addWidget(new QLabel(QStringLiteral("logs"), this));

    const auto unlessRefreshing = [this](auto handler) {
        return [this, handler](auto... value) {
            if (!mRefreshing) handler(value...);
        };
    };
    connect(mFilter, &QLineEdit::textChanged, this,
            unlessRefreshing([this](const QString& text) { mEvents.filterChange(vantor::FromQString(text)); }));
    connect(mFrom, &QComboBox::currentIndexChanged, this, unlessRefreshing([this](int index) { mEvents.fromChange(index); }));
    connect(mTo, &QComboBox::currentIndexChanged, this, unlessRefreshing([this](int index) { mEvents.toChange(index); }));
    connect(mLast, &QSpinBox::valueChanged, this, unlessRefreshing([this](int count) { mEvents.lastChange(count); }));
}

void RangeBar::Refresh(const std::vector<std::string>& logs, int from, int to, std::string_view filter) {
    mRefreshing = true;
    QStringList names;
    for (const std::string& name : logs) names << ToQString(name);
    if (names != mLogs) {
        mLogs = names;
        for (QComboBox* box : {mFrom, mTo}) {
            box->clear();
            box->addItems(names);
            box->setEnabled(!names.isEmpty());
        }
        mLast->setRange(1, std::max<int>(1, static_cast<int>(names.size())));
        mLast->setEnabled(!names.isEmpty());
    }
    mFrom->setCurrentIndex(from);
    mTo->setCurrentIndex(to);
    mLast->setValue(to - from + 1);
    if (mFilter->text() != ToQString(filter)) mFilter->setText(ToQString(filter));
    mRefreshing = false;
}
