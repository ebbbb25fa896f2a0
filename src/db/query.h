#pragma once

#include "db/dataset.h"
#include "db/statement.h"

#include <QStringList>
#include <memory>

namespace bkp::db {

class Statement;
struct ColumnDesc;

struct Param {
    QString name;
    QVariant value;
    void setValue(const QVariant &v) { value = v; }
    void clear() { value = QVariant(); }
    bool isNull() const { return value.isNull(); }
};

// The four statements through which an edited result is stored: parameters
// ":COLUMN" take the edited value, ":OLD_COLUMN" the value as it was read.
class UpdateSQL {
public:
    QStringList refreshSQL, modifySQL, insertSQL, deleteSQL;

    enum Kind { Modify, Insert, Delete };
    // Runs the statement of that kind for the data set's edit buffer and old values.
    void apply(Kind kind, DataSet &dataSet, const QVector<QVariant> &values,
               const QVector<QVariant> &oldValues) const;
    bool empty() const { return modifySQL.isEmpty() && insertSQL.isEmpty() && deleteSQL.isEmpty(); }
};

// Runs one statement text with named parameters; a select's rows are browsed
// and, with an update object, edited.
class Query : public DataSet {
    Q_OBJECT
public:
    explicit Query(QObject *parent = nullptr);
    ~Query() override;

    QStringList sql() const { return m_sql; }
    QString sqlText() const { return m_sql.join(QLatin1Char('\n')); }
    void setSql(const QStringList &lines);
    void setSqlText(const QString &text);

    // Off, the text goes to the engine as typed: ":X" in a procedure's body or an
    // "execute block" is the body's own variable, not a parameter of the query.
    bool paramCheck() const { return m_paramCheck; }
    void setParamCheck(bool check) {
        m_paramCheck = check;
        setSql(m_sql);
    }

    QList<Param> &params() { return m_params; }
    Param &paramByName(const QString &name); // ignoring case; raises DatabaseError when absent
    Param *findParam(const QString &name);

    UpdateSQL *updateObject() const { return m_update; }
    void setUpdateObject(UpdateSQL *update) { m_update = update; }
    bool canModify() const override;

    // Prepares the statement and describes its fields without running it.
    void prepare();
    bool prepared() const;
    void unprepare();
    // Runs a statement that returns no rows; the count of rows it changed is kept.
    void execSQL();
    // Rows changed by the last execSQL, or rows read so far of an open select.
    qint64 rowsAffected() const { return m_rowsAffected; }
    StatementKind statementKind(); // prepares the statement

protected:
    void internalOpen() override;
    void internalClose() override;
    bool internalFetch(int count) override;
    void internalPost(bool inserting) override;
    void internalDelete() override;

    // Builds the fields from the statement's columns, keeping them when the
    // statement gives the same columns again (controls hold on to them).
    void describeFields(const QList<ColumnDesc> &columns);
    QVector<QVariant> paramValues() const;
    virtual QString statementText() const { return sqlText(); }

private:
    QStringList m_sql;
    QList<Param> m_params;
    QStringList m_paramOrder; // names in the order of the "?" marks
    UpdateSQL *m_update = nullptr;
    std::unique_ptr<Statement> m_statement;
    qint64 m_rowsAffected = -1;
    bool m_paramCheck = true;
};

// Column kind of a result column as the data set shows it.
FieldType fieldTypeOf(const ColumnDesc &column);

} // namespace bkp::db
