#include "qt/form_table.h"

#include <utility>

#include <QAction>
#include <QBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>

void SetUpFormTable(QTableView* table, QAbstractItemView::SelectionMode selection,
                    std::function<void(int)> headerClick) {
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(selection);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);  // more rows in view
    QHeaderView* header = table->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    QObject::connect(header, &QHeaderView::sectionClicked, table, std::move(headerClick));
}

void ShowSortOrder(QTableView* table, int column, bool descending) {
    table->horizontalHeader()->setSortIndicator(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void AddCopyAndSave(QWidget* window, QBoxLayout* row, std::function<void()> copy, std::function<void()> saveCsv) {
    auto* copyButton = new QPushButton(QStringLiteral("&Copy"), window);
    copyButton->setObjectName(QStringLiteral("copy"));
    auto* saveButton = new QPushButton(QStringLiteral("&Save as CSV..."), window);
    saveButton->setObjectName(QStringLiteral("saveCsv"));
    row->addWidget(copyButton);
    row->addWidget(saveButton);
    QObject::connect(copyButton, &QPushButton::clicked, window, copy);
    QObject::connect(saveButton, &QPushButton::clicked, window, std::move(saveCsv));
    auto* copyKey = new QAction(window);
    copyKey->setShortcut(QKeySequence::Copy);  // a box with the focus copies its own text first
    window->addAction(copyKey);
    QObject::connect(copyKey, &QAction::triggered, window, std::move(copy));
}
