#pragma once

#include "db/query.h"

#include <QString>
#include <QStringList>

namespace bkp::db {

// How the generated statements are written: each caller keeps the texts its
// windows and stored scripts know.
struct EditStatementStyle {
    QString select = QStringLiteral("Select"), from = QStringLiteral("from"),
            where = QStringLiteral("where"), update = QStringLiteral("update"),
            set = QStringLiteral("set"), insertInto = QStringLiteral("insert into"),
            values = QStringLiteral("values"), deleteFrom = QStringLiteral("delete from");
    QString indent;                                // before each column line and key condition
    QString equals = QStringLiteral(" = ");        // between a column and its parameter
    QString listSeparator = QStringLiteral(", ");  // in the insert's column and value lists
    QString refreshKeyPrefix;                      // ":ID" in the refresh; "OLD_" gives ":OLD_ID"
    QString oldKeyPrefix = QStringLiteral("OLD_"); // key parameters of modify and delete
    bool upperCaseConditions = false;              // "ID=:OLD_ID" for a key typed "id"
};

// The refresh, modify, insert and delete statements of `table` (as SQL writes it)
// over `columns` in the given order, keyed on `key`. Column names are quoted where
// SQL needs it; a parameter is the column's name (":COL", ":OLD_COL").
UpdateSQL GenerateEditStatements(const QString &table, const QStringList &key,
                                 const QStringList &columns, const EditStatementStyle &style);

// The job tables' form: lower-case words, two-blank indents, keyed on ID.
EditStatementStyle JobTableStyle();
// The SQL console's form for an edited result: keyword case as "Update", "Set", "Where".
EditStatementStyle ConsoleStyle();

} // namespace bkp::db
