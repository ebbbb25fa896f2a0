#include "widgets/datasetmodel.h"

#include "db/database.h"
#include "db/dataset.h"
#include "lib/scopeguard.h"

namespace bkp::widgets {

DataSetModel::DataSetModel(QObject *parent) : QAbstractTableModel(parent) {}

void DataSetModel::setDataSet(db::DataSet *dataSet) {
    if (m_dataSet)
        disconnect(m_dataSet, nullptr, this, nullptr);
    m_dataSet = dataSet;
    if (dataSet) {
        connect(dataSet, &db::DataSet::layoutChanged, this, &DataSetModel::reset);
        connect(dataSet, &db::DataSet::stateChanged, this, &DataSetModel::stateChanged);
        connect(dataSet, &db::DataSet::recordChanged, this, &DataSetModel::rowChanged);
        connect(dataSet, &db::DataSet::fieldChanged, this, [this](int) { rowChanged(); });
        connect(dataSet, &db::DataSet::rowsFetched, this, &DataSetModel::rowsFetched);
    }
    reset();
}

void DataSetModel::setColumns(const QList<GridColumn> &columns) {
    beginResetModel();
    m_columns = columns;
    endResetModel();
}

QList<GridColumn> DataSetModel::columns() const {
    if (!m_columns.isEmpty() || !m_dataSet)
        return m_columns;
    QList<GridColumn> all;
    for (const QString &name : m_dataSet->fieldNames())
        all.append(GridColumn{name, QString(), 64});
    return all;
}

void DataSetModel::reset() {
    beginResetModel();
    m_lastRow = -1;
    m_rows = m_dataSet && m_dataSet->active() ? m_dataSet->displayRowCount() : 0;
    endResetModel();
}

void DataSetModel::stateChanged() {
    // An edit or its post keeps the rows: only the current one shows new values, and
    // a cell editor open on it stays open.
    const int now = m_dataSet && m_dataSet->active() ? m_dataSet->displayRowCount() : -1;
    if (now != m_rows) {
        reset();
        return;
    }
    rowChanged();
}

void DataSetModel::rowsFetched(int, int) {
    const int now = m_dataSet && m_dataSet->active() ? m_dataSet->displayRowCount() : 0;
    if (now <= m_rows) {
        reset();
        return;
    }
    beginInsertRows({}, m_rows, now - 1);
    m_rows = now;
    endInsertRows();
}

bool DataSetModel::canFetchMore(const QModelIndex &parent) const {
    return !parent.isValid() && m_dataSet && m_dataSet->active() && !m_dataSet->allRowsFetched();
}

void DataSetModel::fetchMore(const QModelIndex &parent) {
    if (canFetchMore(parent))
        m_dataSet->fetchMore(100);
}

void DataSetModel::rowChanged() {
    if (!m_dataSet)
        return;
    // The row that was current and the one that is now both show fresh values.
    for (int row : {m_lastRow, m_dataSet->currentDisplayRow()})
        if (row >= 0 && row < rowCount())
            Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
    m_lastRow = m_dataSet->currentDisplayRow();
}

int DataSetModel::rowCount(const QModelIndex &parent) const {
    if (parent.isValid() || !m_dataSet || !m_dataSet->active())
        return 0;
    return m_rows;
}

int DataSetModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(columns().size());
}

int DataSetModel::fieldIndexOf(int column) const {
    const QList<GridColumn> cols = columns();
    if (!m_dataSet || column < 0 || column >= cols.size())
        return -1;
    db::Field *f = m_dataSet->findField(cols[column].fieldName);
    return f ? f->index() : -1;
}

QVariant DataSetModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || !m_dataSet)
        return {};
    const int fi = fieldIndexOf(index.column());
    if (fi < 0)
        return {};
    db::Field *f = m_dataSet->field(fi);
    if (role == Qt::DisplayRole) {
        QVariant v = m_dataSet->displayValue(index.row(), fi);
        switch (f->dataType()) {
        case db::FieldType::Memo:
        case db::FieldType::FmtMemo:
            return v.toString().isEmpty() ? QStringLiteral("(Memo)") : QStringLiteral("(MEMO)");
        case db::FieldType::Blob:
            return v.toByteArray().isEmpty() ? QStringLiteral("(Blob)") : QStringLiteral("(BLOB)");
        default:
            return f->textOf(v);
        }
    }
    if (role == Qt::EditRole)
        return db::formatValue(m_dataSet->displayValue(index.row(), fi), f->dataType());
    if (role == Qt::TextAlignmentRole) {
        const GridColumn c = columns().value(index.column());
        return int(c.alignment);
    }
    return {};
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex &index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    const int fi = fieldIndexOf(index.column());
    if (!m_cellEditing || fi < 0 || !m_dataSet->active() || !m_dataSet->canModify())
        return flags;
    const db::Field *f = m_dataSet->field(fi);
    if (!f->readOnly() && !f->calculated() && !f->isBlob())
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool DataSetModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    return role == Qt::EditRole && storeCellText(index, value.toString()).isEmpty();
}

QString DataSetModel::storeCellText(const QModelIndex &index, const QString &text) {
    if (!(flags(index) & Qt::ItemIsEditable))
        return QStringLiteral("Esta célula não pode ser alterada.");
    db::DataSet *ds = m_dataSet;
    db::Field *f = ds->field(fieldIndexOf(index.column()));
    const QString uncarried =
        ds->database() ? ds->database()->uncarriedCharacters(text) : QString();
    if (!uncarried.isEmpty())
        return QStringLiteral("Valor não aceito para o campo %1.\r\rO conjunto de caracteres da "
                              "conexão (%2) não comporta: %3")
            .arg(f->fieldName(), ds->database()->characterSet(), uncarried);
    try {
        if (index.row() != ds->currentDisplayRow())
            ds->setRecNo(index.row() + 1);
        const bool browsing = ds->state() == db::DataSetState::Browse;
        const QVariant before = f->value();
        ds->edit();
        // A refused value leaves the row as it was.
        ScopeGuard undo([&] {
            if (browsing)
                ds->cancel();
            else
                ds->setFieldValue(f->index(), before);
        });
        f->setValue(text.isEmpty() ? QVariant() : QVariant(text));
        if (browsing)
            ds->post();
        undo.dismiss();
    } catch (const db::DatabaseError &e) {
        return QStringLiteral("Valor não aceito para o campo %1.\r\r%2")
            .arg(f->fieldName(), e.message());
    }
    return QString();
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    const GridColumn c = columns().value(section);
    return c.title.isEmpty() ? c.fieldName : c.title;
}

} // namespace bkp::widgets
