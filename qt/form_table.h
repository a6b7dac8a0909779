#pragma once

#include <functional>

#include <QAbstractItemView>
#include <QAbstractTableModel>

#include "qt/qt_text.h"

class QBoxLayout;
class QTableView;
class QWidget;

// A table window's form as Qt's views ask for it, cell by cell: nothing is
// copied. The form has RowCount, ColumnCount, Cell, Header and IsNumber.
template <class Form>
class FormTableModel : public QAbstractTableModel {
public:
    FormTableModel(const Form& form, QObject* parent) : QAbstractTableModel(parent), mForm(form) {}

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : mRows; }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : mColumns; }

    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole) return vantor::ToQString(mForm.Cell(index.row(), index.column()));
        if (role == Qt::TextAlignmentRole && mForm.IsNumber(index.column())) {
            return static_cast<int>(Qt::AlignRight | Qt::AlignVCenter);
        }
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole) return vantor::ToQString(mForm.Header(section));
        return QAbstractTableModel::headerData(section, orientation, role);
    }

    // The form changed. A table of the same shape is only repainted, so the
    // view keeps its selection, scroll position and column widths; another
    // is laid out again. Returns whether the columns are to fit their cells
    // again: other columns, or the first rows of a table that had none.
    bool Update() {
        const int rows = mForm.RowCount();
        const int columns = mForm.ColumnCount();
        if (rows == mRows && columns == mColumns) {
            if (rows > 0 && columns > 0) emit dataChanged(index(0, 0), index(rows - 1, columns - 1));
            if (columns > 0) emit headerDataChanged(Qt::Horizontal, 0, columns - 1);
            return false;
        }
        const bool newColumns = columns != mColumns || (mRows == 0 && rows > 0);
        beginResetModel();
        mRows = rows;
        mColumns = columns;
        endResetModel();
        return newColumns;
    }

protected:
    const Form& mForm;

private:
    int mRows = 0;
    int mColumns = 0;
};

// A table of whole rows that a click on a caption sorts: the click goes to
// the form, which sorts.
void SetUpFormTable(QTableView* table, QAbstractItemView::SelectionMode selection,
                    std::function<void(int)> headerClick);
template <class Form>
void SetUpFormTable(QTableView* table, QAbstractItemView::SelectionMode selection, Form& form) {
    SetUpFormTable(table, selection, [&form](int column) { form.Header_Click(column); });
}
void ShowSortOrder(QTableView* table, int column, bool descending);  // column -1: none

// The Copy and Save as CSV buttons ("copy", "saveCsv") at the end of `row`,
// and the window's Copy key.
void AddCopyAndSave(QWidget* window, QBoxLayout* row, std::function<void()> copy, std::function<void()> saveCsv);
template <class Form>
void AddCopyAndSave(QWidget* window, QBoxLayout* row, Form& form) {
    AddCopyAndSave(window, row, [&form] { form.Copy_Click(); }, [&form] { form.SaveCsv_Click(); });
}
