#pragma once

#include "db/errors.h"
#include "db/field.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>
#include <vector>

namespace bkp::db {

class Database;
class Transaction;

enum class DataSetState { Inactive, Browse, Edit, Insert };

// Rows of a result held in memory, a current row and the browse / edit / insert
// states, with the events the windows hook into. Queries and tables derive from it.
class DataSet : public QObject {
    Q_OBJECT
public:
    using Event = std::function<void(DataSet &)>;

    explicit DataSet(QObject *parent = nullptr);
    ~DataSet() override;

    Database *database() const { return m_database; }
    void setDatabase(Database *database);
    Transaction *transaction() const { return m_transaction; }
    void setTransaction(Transaction *transaction);

    void open();
    void close();
    bool active() const { return m_state != DataSetState::Inactive; }
    void setActive(bool active) { active ? open() : close(); }
    DataSetState state() const { return m_state; }
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    virtual bool canModify() const;

    int fieldCount() const { return int(m_fields.size()); }
    Field *field(int index) const { return m_fields.at(size_t(index)).get(); }
    Field *findField(const QString &name) const;   // ignoring case; nullptr when absent
    Field *fieldByName(const QString &name) const; // raises DatabaseError when absent
    QStringList fieldNames() const;

    bool isEmpty() const { return m_rows.isEmpty() && m_state != DataSetState::Insert; }
    // Rows are read from the result as they are asked for (a move, a grid scrolling,
    // last(), fetchAll()); until the last one is read the count is of the rows read.
    int recordCount() const { return int(m_rows.size()); }
    bool allRowsFetched() const { return m_allFetched; }
    int fetchMore(int count); // the rows added
    void fetchAll();
    int recNo() const; // 1-based; 0 when there is no current row
    void setRecNo(int recNo);
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }

    void first();
    void last();
    void next();
    void prior();
    int moveBy(int distance);
    bool locate(const QString &fieldName, const QVariant &value, bool ignoreCase = false);

    void edit();
    void insert();
    void append();
    void post();
    void cancel();
    void deleteRecord();
    // Reads the rows again, keeping the current row number where it can.
    void refresh();
    // Raises ValueTooLongError for the first text of the row being edited that is
    // longer than its field; post() checks before it stores anything.
    void checkFieldSizes() const;
    // Posts a pending edit; used before moving away from the current row.
    void checkBrowseMode();
    bool modified() const { return m_modified; }

    // While a routine walks the rows (a listing), the grids, navigators and panels
    // that follow the data set are not told of each move: recordChanged and
    // afterScroll are held back, counted, and sent once when the last caller
    // enables them again, if the current row changed meanwhile.
    void disableControls() { ++m_controlsDisabled; }
    void enableControls();
    bool controlsDisabled() const { return m_controlsDisabled > 0; }

    // Rows as a grid shows them: an inserted row counts from the start of the insert,
    // and the row being edited shows its edited values.
    int displayRowCount() const;
    int currentDisplayRow() const; // -1 when there is none
    QVariant displayValue(int row, int fieldIndex) const;

    // Value access for fields.
    QVariant fieldValue(int index) const;
    QVariant oldFieldValue(int index) const;
    void setFieldValue(int index, const QVariant &value);

    // Hooks that run before an action and may stop it by throwing (AbortError stops it
    // quietly). Each has one owner: the code that binds the data set to its window or
    // routine; a second assignment replaces the first. onNewRecord fills a new row's
    // defaults and is owned the same way.
    Event beforeOpen, beforeClose, beforeScroll, beforeInsert, onNewRecord, beforeEdit;
    Event beforePost, beforeCancel, beforeDelete, beforeRefresh;

Q_SIGNALS:
    // After an action: any number of grids, navigators, panels and listings may follow.
    void afterOpen();
    void afterClose();
    void afterScroll();
    void afterInsert();
    void afterEdit();
    void afterPost();
    void afterCancel();
    void afterDelete();
    void afterRefresh();
    void stateChanged();
    void recordChanged(); // another current row, or its values were read again
    void fieldChanged(int index);
    void layoutChanged();                   // opened, closed, rows added or removed
    void rowsFetched(int first, int count); // more rows of the result were read

protected:
    struct Row {
        QVector<QVariant> values;
    };

    // The derived class fills the fields (addField) and rows of a fresh result.
    virtual void internalOpen() = 0;
    // Reads up to `count` more rows of an open result (appendRow); false once the
    // result has no more. The default has every row in memory after internalOpen.
    virtual bool internalFetch(int count) {
        (void)count;
        return false;
    }
    virtual void internalClose() {}
    // Store the edit buffer in the database: insert or modify.
    virtual void internalPost(bool inserting) = 0;
    virtual void internalDelete() = 0;

    Field *addField(const QString &name, FieldType type, int size);
    void clearFields();
    void appendRow(QVector<QVariant> values) { m_rows.append(Row{std::move(values)}); }
    // The values of the row being posted (new) and as they were read (old).
    const QVector<QVariant> &bufferValues() const { return m_buffer; }
    const QVector<QVariant> &oldValues() const { return m_old; }
    void setBufferValues(const QVector<QVariant> &values) { m_buffer = values; }
    void checkActive() const;

    friend class Transaction;
    friend class Database;
    Transaction *m_transaction = nullptr;

private:
    void fire(const Event &e) {
        if (e)
            e(*this);
    }
    void setState(DataSetState s);
    void moveTo(int row, bool scrollEvents);
    void notifyRecordChanged();
    void notifyAfterScroll();
    void checkCanModify() const;
    void startInsert(int position);
    // Reads on until row `index` (0-based) is in memory or the result ends.
    bool ensureRow(int index);

    Database *m_database = nullptr;
    DataSetState m_state = DataSetState::Inactive;
    bool m_readOnly = false;
    std::vector<std::unique_ptr<Field>> m_fields;
    QList<Row> m_rows;
    int m_cur = -1;             // current row, -1 when empty
    int m_insertAt = -1;        // where an inserted row goes
    QVector<QVariant> m_buffer; // edit and insert buffer
    QVector<QVariant> m_old;    // row values before the edit
    bool m_modified = false;
    bool m_eof = true;
    bool m_bof = true;
    bool m_allFetched = true;
    int m_controlsDisabled = 0;
    bool m_heldRecordChanged = false, m_heldAfterScroll = false;
};

// Disables a data set's controls for a scope.
class ControlsDisabled {
public:
    explicit ControlsDisabled(DataSet &data) : m_data(data) { m_data.disableControls(); }
    ~ControlsDisabled() { m_data.enableControls(); }
    ControlsDisabled(const ControlsDisabled &) = delete;
    ControlsDisabled &operator=(const ControlsDisabled &) = delete;

private:
    DataSet &m_data;
};

} // namespace bkp::db
