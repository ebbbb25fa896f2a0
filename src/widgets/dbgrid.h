#pragma once

#include "widgets/datasetmodel.h"

#include <QFontMetrics>
#include <QTableView>
#include <functional>

namespace bkp::db {
class Field;
}

namespace bkp::widgets {

// How many characters a field's values need on screen: a text its size, a number
// its digits with sign, separators and decimals, a date its format.
int FieldDisplayWidth(const db::Field &field);
// The width a grid column takes for a field when nobody set one: the field's
// display width in the font's digits, or its caption's width when that is wider,
// plus a small margin.
int DefaultColumnWidth(const QFontMetrics &metrics, const db::Field &field);

// A grid bound to a data set: whole rows are selected, the selected row is the
// data set's current row and the other way round, column titles can be clicked,
// and Ctrl+Delete deletes the current row after "Delete record?".
class DBGrid : public QTableView {
    Q_OBJECT
public:
    explicit DBGrid(QWidget *parent = nullptr);

    void setDataSet(db::DataSet *dataSet);
    db::DataSet *dataSet() const { return m_model.dataSet(); }
    void setColumns(const QList<GridColumn> &columns);
    DataSetModel *dataModel() { return &m_model; }
    // Columns as wide as their titles and the rows on screen, so no title is cut;
    // a long value is kept to `widest` pixels.
    void fitColumns(int widest = 260);

    // Replaces the plain deletion behind Ctrl+Delete (a window that must delete
    // more than the row itself hooks in here); it runs after the confirmation.
    std::function<void()> onDelete;

    // Memo cells get a small "..." button at their right end that emits
    // editButtonClicked with the cell's field.
    void setMemoButtons(bool on);
    // Cells are edited in place (double click, F2 or typing) through the data set;
    // off unless switched on.
    void setCellEditing(bool on);

Q_SIGNALS:
    void titleClicked(int column, const QString &fieldName);
    void editButtonClicked(const QString &fieldName);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void followDataSet();
    void followSelection(const QModelIndex &current);
    DataSetModel m_model;
    bool m_syncing = false;
};

} // namespace bkp::widgets
