#pragma once

#include "db/query.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

namespace bkp::db {

class DataSet;
class Database;
class Field;
class Query;
class Table;

// Runs one statement in the database's default transaction and returns true.
// It does not commit; database errors reach the caller.
bool ExecSQL(Database *database, const QString &sql);

// While the field's data set is inserting, stores max + 1 of the field's column
// in the table (1 for an empty table) into the field; does nothing otherwise.
void NextID(Table *table, Field *field);

void DefaultIfNull(Field *field, const QVariant &value);

// Reads the rows of a list again after a background writer changed them, unless
// the operator is editing a row of it: a refresh would store that edit half done.
void RefreshUnlessEditing(DataSet *dataSet);

// Told true when a data routine starts waiting on the database and false when it
// is done, so the layer above can show the database-wait cursor; none by default.
using WaitHook = std::function<void(bool waiting)>;
void setWaitHook(WaitHook hook);

// Closes and reopens the query while the wait hook says "waiting", optionally going
// to its last and then to its first row.
void ReopenQuery(Query *query, bool goLast, bool goFirst);

// The four statements over `columns` of `table`, keyed on ID.
UpdateSQL keyedUpdateSQL(const QString &table, const QStringList &columns);

} // namespace bkp::db
