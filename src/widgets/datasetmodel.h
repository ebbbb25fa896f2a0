#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>

#include "db/dataset.h"

namespace bkp::widgets {

// A grid column bound to a field of the data set.
struct GridColumn {
    QString fieldName;
    QString title; // the field name when empty
    int width = 64;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

// The rows of a data set as a table model; it follows the data set's changes.
class DataSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataSetModel(QObject *parent = nullptr);

    void setDataSet(db::DataSet *dataSet);
    db::DataSet *dataSet() const { return m_dataSet; }
    // No columns given: one per field, titled by its name.
    void setColumns(const QList<GridColumn> &columns);
    QList<GridColumn> columns() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    // Rows of the result not read yet are read as the view scrolls to them.
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int fieldIndexOf(int column) const; // -1 when the field is not there

    // Cells edited in place through the data set (off unless a grid switches it on):
    // a cell is editable while its data set can be modified and its field is neither
    // read-only, calculated nor a blob (memos have their own editor).
    void setCellEditing(bool on) { m_cellEditing = on; }
    bool cellEditing() const { return m_cellEditing; }
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    // Stores the text typed into a cell, in the user's formats; an empty text is
    // NULL. A row in browse mode is edited and posted at once through the data set's
    // update statements; a row already in editing or inserting keeps its state until
    // its own post. Returns the refusal's message, empty when the value was stored;
    // a refused value leaves the row as it was.
    QString storeCellText(const QModelIndex &index, const QString &text);

private:
    void reset();
    void stateChanged();
    void rowChanged();
    void rowsFetched(int first, int count);
    QPointer<db::DataSet> m_dataSet;
    QList<GridColumn> m_columns;
    int m_lastRow = -1;
    int m_rows = 0; // as last told to the views
    bool m_cellEditing = false;
};

} // namespace bkp::widgets
