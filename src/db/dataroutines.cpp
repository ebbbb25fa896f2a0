#include "db/dataroutines.h"

#include "db/database.h"
#include "db/editstatements.h"
#include "db/query.h"
#include "db/table.h"
#include "platform/application.h"

namespace bkp::db {

bool ExecSQL(Database *database, const QString &sql) {
    Query q;
    q.setDatabase(database);
    q.setSqlText(sql);
    q.execSQL();
    return true;
}

void NextID(Table *table, Field *field) {
    if (!field || field->dataSet()->state() != DataSetState::Insert)
        return;
    Query q;
    q.setDatabase(table->database());
    q.setTransaction(table->transaction() ? table->transaction()
                                          : table->database()->defaultTransaction());
    q.setSqlText(QStringLiteral("Select max(") + field->fieldName() +
                 QStringLiteral(") AS NewID from ") + table->tableName());
    q.open();
    qint64 newId = q.fieldByName(QStringLiteral("NewID"))->asLargeInt() + 1;
    q.close();
    field->setValue(newId);
}

void DefaultIfNull(Field *field, const QVariant &value) {
    if (field && field->isNull())
        field->setValue(value);
}

void RefreshUnlessEditing(DataSet *dataSet) {
    if (dataSet && dataSet->state() == DataSetState::Browse)
        dataSet->refresh();
}

namespace {
WaitHook g_waitHook;

// Says "waiting" for its lifetime, however the routine leaves.
class Waiting {
public:
    Waiting() {
        if (g_waitHook)
            g_waitHook(true);
    }
    ~Waiting() {
        if (g_waitHook)
            g_waitHook(false);
    }
    Waiting(const Waiting &) = delete;
    Waiting &operator=(const Waiting &) = delete;
};
} // namespace

void setWaitHook(WaitHook hook) {
    g_waitHook = std::move(hook);
}

void ReopenQuery(Query *query, bool goLast, bool goFirst) {
    Waiting waiting;
    query->close();
    query->open();
    if (goLast)
        query->last();
    if (goFirst)
        query->first();
    platform::processMessages();
}

UpdateSQL keyedUpdateSQL(const QString &table, const QStringList &columns) {
    return GenerateEditStatements(table, {QStringLiteral("ID")}, columns, JobTableStyle());
}

} // namespace bkp::db
