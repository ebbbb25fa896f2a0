#pragma once

#include <QString>

namespace bkp::db {

class Field;

// What "Order By" names for a column whose title was clicked: the column as its
// table knows it (upper-cased for texts, so the order ignores case), or, for a
// column of a join, its relation and name.
QString OrderExpression(const QString &fieldName, const QString &origin, bool isText);
QString OrderExpression(const Field &field);

// `sql` ordered by `expression` (its double blanks made single, an ORDER BY of its
// own cut off): ascending, unless `memory` holds `key` and the statement is sorted
// ascending already, which turns it to descending. `memory` becomes `key`. The job
// list and the console each keep one memory for the whole program.
QString OrderedStatement(const QString &sql, const QString &expression, const QString &key,
                         QString &memory, Qt::CaseSensitivity sameKey);

} // namespace bkp::db
