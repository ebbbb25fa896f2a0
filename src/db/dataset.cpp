#include "db/dataset.h"

#include "db/database.h"
#include "lib/scopeguard.h"

#include <utility>

namespace bkp::db {

DataSet::DataSet(QObject *parent) : QObject(parent) {}

DataSet::~DataSet() {
    if (m_transaction)
        m_transaction->detachDataSet(this);
    if (m_database)
        m_database->detachDataSet(this);
}

void DataSet::setDatabase(Database *database) {
    if (active())
        close();
    if (m_database)
        m_database->detachDataSet(this);
    m_database = database;
    if (m_database)
        m_database->attachDataSet(this);
    if (!m_transaction && database && database->defaultTransaction())
        setTransaction(database->defaultTransaction());
}

void DataSet::setTransaction(Transaction *transaction) {
    if (m_transaction == transaction)
        return;
    if (active())
        close();
    if (m_transaction)
        m_transaction->detachDataSet(this);
    m_transaction = transaction;
    if (m_transaction)
        m_transaction->attachDataSet(this);
}

bool DataSet::canModify() const {
    return !m_readOnly;
}

void DataSet::checkActive() const {
    if (!active())
        throw DatabaseError(QStringLiteral("Operação impossível com o conjunto de dados fechado"));
}

void DataSet::checkCanModify() const {
    if (!canModify())
        throw DatabaseError(
            QStringLiteral("Não é possível alterar um conjunto de dados somente leitura"));
}

void DataSet::setState(DataSetState s) {
    if (m_state == s)
        return;
    m_state = s;
    Q_EMIT stateChanged();
}

Field *DataSet::addField(const QString &name, FieldType type, int size) {
    // Two result columns of one name: the second is told apart as a grid would.
    QString unique = name;
    for (int n = 1; findField(unique); ++n)
        unique = name + QLatin1Char('_') + QString::number(n);
    m_fields.push_back(std::make_unique<Field>(this, int(m_fields.size()), unique, type, size));
    return m_fields.back().get();
}

void DataSet::clearFields() {
    m_fields.clear();
}

Field *DataSet::findField(const QString &name) const {
    for (const auto &f : m_fields)
        if (f->fieldName().compare(name, Qt::CaseInsensitive) == 0)
            return f.get();
    return nullptr;
}

Field *DataSet::fieldByName(const QString &name) const {
    Field *f = findField(name);
    if (!f)
        throw DatabaseError(
            QStringLiteral("%1: campo '%2' não encontrado").arg(objectName(), name));
    return f;
}

QStringList DataSet::fieldNames() const {
    QStringList out;
    for (const auto &f : m_fields)
        out.append(f->fieldName());
    return out;
}

void DataSet::open() {
    if (active())
        return;
    fire(beforeOpen);
    m_rows.clear();
    m_cur = -1;
    {
        // A failed open leaves the data set closed, with nothing half read.
        ScopeGuard closeOnError([this] {
            m_rows.clear();
            m_allFetched = true;
            internalClose();
        });
        m_allFetched = false;
        internalOpen();
        ensureRow(0);
        closeOnError.dismiss();
    }
    m_cur = m_rows.isEmpty() ? -1 : 0;
    m_bof = true;
    m_eof = m_rows.isEmpty();
    m_modified = false;
    setState(DataSetState::Browse);
    Q_EMIT layoutChanged();
    notifyRecordChanged();
    Q_EMIT afterOpen();
    notifyAfterScroll();
}

void DataSet::close() {
    if (!active())
        return;
    fire(beforeClose);
    m_rows.clear();
    m_buffer.clear();
    m_old.clear();
    m_cur = -1;
    m_modified = false;
    m_eof = m_bof = true;
    m_allFetched = true;
    internalClose();
    setState(DataSetState::Inactive);
    Q_EMIT layoutChanged();
    Q_EMIT afterClose();
}

namespace {
// Rows read at a time when a move or a view asks for more: a screen or two.
constexpr int kFetchBatch = 100;
} // namespace

int DataSet::fetchMore(int count) {
    // Closed data sets count as fully read, so this also serves while opening.
    if (m_allFetched || count <= 0)
        return 0;
    const int first = int(m_rows.size());
    if (!internalFetch(count) || int(m_rows.size()) == first)
        m_allFetched = true;
    const int added = int(m_rows.size()) - first;
    if (added > 0) {
        if (m_eof && m_state == DataSetState::Browse && m_cur == first - 1 && first > 0)
            m_eof = false; // what looked like the last row is not
        Q_EMIT rowsFetched(first, added);
    }
    return added;
}

void DataSet::fetchAll() {
    while (!m_allFetched)
        fetchMore(4096);
}

bool DataSet::ensureRow(int index) {
    while (index >= m_rows.size() && !m_allFetched)
        fetchMore(qMax(kFetchBatch, index + 1 - int(m_rows.size())));
    return index < m_rows.size();
}

void DataSet::notifyRecordChanged() {
    if (m_controlsDisabled > 0)
        m_heldRecordChanged = true;
    else
        Q_EMIT recordChanged();
}

void DataSet::notifyAfterScroll() {
    if (m_controlsDisabled > 0)
        m_heldAfterScroll = true;
    else
        Q_EMIT afterScroll();
}

void DataSet::enableControls() {
    if (m_controlsDisabled == 0 || --m_controlsDisabled > 0)
        return;
    const bool changed = std::exchange(m_heldRecordChanged, false);
    const bool scrolled = std::exchange(m_heldAfterScroll, false);
    if (changed)
        Q_EMIT recordChanged();
    if (scrolled)
        Q_EMIT afterScroll();
}

int DataSet::recNo() const {
    if (m_state == DataSetState::Insert)
        return m_insertAt + 1;
    return m_cur + 1;
}

void DataSet::setRecNo(int recNo) {
    checkActive();
    checkBrowseMode();
    ensureRow(recNo - 1);
    if (m_rows.isEmpty())
        return;
    int row = qBound(0, recNo - 1, int(m_rows.size()) - 1);
    if (row == m_cur)
        return;
    moveTo(row, true);
}

void DataSet::moveTo(int row, bool scrollEvents) {
    if (scrollEvents)
        fire(beforeScroll);
    m_cur = row;
    notifyRecordChanged();
    if (scrollEvents)
        notifyAfterScroll();
}

void DataSet::first() {
    checkActive();
    checkBrowseMode();
    fire(beforeScroll);
    m_cur = m_rows.isEmpty() ? -1 : 0;
    m_bof = true;
    m_eof = m_rows.isEmpty();
    notifyRecordChanged();
    notifyAfterScroll();
}

void DataSet::last() {
    checkActive();
    checkBrowseMode();
    fetchAll();
    fire(beforeScroll);
    m_cur = int(m_rows.size()) - 1;
    m_eof = true;
    m_bof = m_rows.isEmpty();
    notifyRecordChanged();
    notifyAfterScroll();
}

int DataSet::moveBy(int distance) {
    checkActive();
    checkBrowseMode();
    if (distance > 0)
        ensureRow(m_cur + distance);
    if (m_rows.isEmpty() || distance == 0) {
        m_eof = m_bof = m_rows.isEmpty();
        return 0;
    }
    int target = m_cur + distance;
    int last = int(m_rows.size()) - 1;
    m_eof = target > last;
    m_bof = target < 0;
    target = qBound(0, target, last);
    int moved = target - m_cur;
    if (moved != 0)
        moveTo(target, true);
    return moved;
}

void DataSet::next() {
    moveBy(1);
}
void DataSet::prior() {
    moveBy(-1);
}

bool DataSet::locate(const QString &fieldName, const QVariant &value, bool ignoreCase) {
    checkActive();
    checkBrowseMode();
    Field *f = fieldByName(fieldName);
    QVariant wanted = f->convert(value);
    for (int i = 0; ensureRow(i); ++i) {
        const QVariant &v = m_rows[i].values[f->index()];
        bool same = ignoreCase && v.typeId() == QMetaType::QString
                        ? v.toString().compare(wanted.toString(), Qt::CaseInsensitive) == 0
                        : v == wanted;
        if (same && v.isNull() == wanted.isNull()) {
            if (i != m_cur)
                moveTo(i, true);
            m_eof = m_bof = false;
            return true;
        }
    }
    return false;
}

int DataSet::displayRowCount() const {
    return int(m_rows.size()) + (m_state == DataSetState::Insert ? 1 : 0);
}

int DataSet::currentDisplayRow() const {
    if (m_state == DataSetState::Insert)
        return qBound(0, m_insertAt, int(m_rows.size()));
    return m_cur;
}

QVariant DataSet::displayValue(int row, int fieldIndex) const {
    if (m_state == DataSetState::Insert) {
        const int at = currentDisplayRow();
        if (row == at)
            return m_buffer.value(fieldIndex);
        if (row > at)
            --row;
    } else if (m_state == DataSetState::Edit && row == m_cur) {
        return m_buffer.value(fieldIndex);
    }
    if (row < 0 || row >= m_rows.size())
        return QVariant();
    return m_rows[row].values.value(fieldIndex);
}

QVariant DataSet::fieldValue(int index) const {
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert)
        return m_buffer.value(index);
    if (m_cur < 0 || m_cur >= m_rows.size())
        return QVariant();
    return m_rows[m_cur].values.value(index);
}

QVariant DataSet::oldFieldValue(int index) const {
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert)
        return m_old.value(index);
    return fieldValue(index);
}

void DataSet::setFieldValue(int index, const QVariant &value) {
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert)
        throw DatabaseError(
            QStringLiteral("O conjunto de dados não está em edição nem em inclusão"));
    Field *f = field(index);
    if (f->readOnly() && !f->calculated())
        throw DatabaseError(
            QStringLiteral("O campo '%1' não pode ser alterado").arg(f->fieldName()));
    QVariant &slot = m_buffer[index];
    if (slot == value && slot.isNull() == value.isNull() && slot.typeId() == value.typeId())
        return;
    slot = value;
    m_modified = true;
    Q_EMIT fieldChanged(index);
}

void DataSet::edit() {
    checkActive();
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert)
        return;
    checkCanModify();
    if (m_rows.isEmpty()) {
        insert();
        return;
    }
    fire(beforeEdit);
    m_buffer = m_rows[m_cur].values;
    m_old = m_buffer;
    m_modified = false;
    setState(DataSetState::Edit);
    Q_EMIT afterEdit();
}

void DataSet::startInsert(int position) {
    checkActive();
    checkBrowseMode();
    checkCanModify();
    fire(beforeInsert);
    fire(beforeScroll);
    m_insertAt = position;
    m_buffer = QVector<QVariant>(fieldCount());
    m_old = m_buffer;
    m_modified = false;
    setState(DataSetState::Insert);
    notifyRecordChanged();
    fire(onNewRecord);
    Q_EMIT afterInsert();
    notifyAfterScroll();
}

void DataSet::insert() {
    startInsert(m_cur < 0 ? 0 : m_cur);
}
void DataSet::append() {
    // A new row goes after the last one of the result, not after the rows read so far.
    if (active())
        fetchAll();
    startInsert(int(m_rows.size()));
}

void DataSet::post() {
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert)
        return;
    fire(beforePost);
    for (const auto &f : m_fields) {
        if (f->required() && !f->calculated() && m_buffer.value(f->index()).isNull())
            throw DatabaseError(
                QStringLiteral("O campo '%1' precisa de um valor").arg(f->fieldName()));
    }
    checkFieldSizes();
    const bool inserting = m_state == DataSetState::Insert;
    internalPost(inserting); // on an error the row stays in editing
    if (inserting) {
        int at = qBound(0, m_insertAt, int(m_rows.size()));
        m_rows.insert(at, Row{m_buffer});
        m_cur = at;
    } else {
        m_rows[m_cur].values = m_buffer;
    }
    m_buffer.clear();
    m_old.clear();
    m_modified = false;
    m_eof = m_bof = false;
    setState(DataSetState::Browse);
    if (inserting)
        Q_EMIT layoutChanged();
    notifyRecordChanged();
    Q_EMIT afterPost();
}

void DataSet::checkFieldSizes() const {
    for (const auto &f : m_fields)
        if (!f->calculated())
            f->checkSize();
}

void DataSet::cancel() {
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert)
        return;
    fire(beforeCancel);
    const bool inserting = m_state == DataSetState::Insert;
    if (inserting)
        fire(beforeScroll);
    m_buffer.clear();
    m_old.clear();
    m_modified = false;
    if (m_cur >= m_rows.size())
        m_cur = int(m_rows.size()) - 1;
    setState(DataSetState::Browse);
    notifyRecordChanged();
    Q_EMIT afterCancel();
    if (inserting)
        notifyAfterScroll();
}

void DataSet::deleteRecord() {
    checkActive();
    if (m_state == DataSetState::Insert) {
        cancel();
        return;
    }
    if (m_rows.isEmpty())
        throw DatabaseError(QStringLiteral("Operação impossível com o conjunto de dados vazio"));
    checkCanModify();
    if (m_state == DataSetState::Edit)
        cancel();
    fire(beforeDelete);
    fire(beforeScroll);
    m_old = m_rows[m_cur].values;
    m_buffer = m_old;
    {
        ScopeGuard forgetRow([this] {
            m_old.clear();
            m_buffer.clear();
        });
        internalDelete();
    }
    m_rows.removeAt(m_cur);
    if (m_cur >= m_rows.size())
        m_cur = int(m_rows.size()) - 1;
    m_eof = m_bof = m_rows.isEmpty();
    Q_EMIT layoutChanged();
    notifyRecordChanged();
    Q_EMIT afterDelete();
    notifyAfterScroll();
}

void DataSet::refresh() {
    checkActive();
    checkBrowseMode();
    fire(beforeRefresh);
    int keep = m_cur;
    m_rows.clear();
    internalClose();
    m_allFetched = false;
    {
        // Closed rather than half read: nothing shows rows that are no longer there.
        ScopeGuard closeOnError([this] {
            m_allFetched = true;
            m_cur = -1;
            close();
        });
        internalOpen();
        ensureRow(qMax(keep, 0));
        closeOnError.dismiss();
    }
    m_cur = m_rows.isEmpty() ? -1 : qBound(0, keep, int(m_rows.size()) - 1);
    m_eof = m_bof = m_rows.isEmpty();
    Q_EMIT layoutChanged();
    notifyRecordChanged();
    Q_EMIT afterRefresh();
}

void DataSet::checkBrowseMode() {
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert) {
        if (m_modified)
            post();
        else
            cancel();
    }
}

} // namespace bkp::db
