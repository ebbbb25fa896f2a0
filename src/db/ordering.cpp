#include "db/ordering.h"

#include "db/field.h"
#include "lib/strings.h"

namespace bkp::db {

QString OrderExpression(const QString &fieldName, const QString &origin, bool isText) {
    if (origin.count(QLatin1Char('.')) >= 2)
        return origin.mid(origin.indexOf(QLatin1Char('.')) + 1);
    const QString expression = origin.isEmpty() ? fieldName : origin;
    return isText ? QStringLiteral("Upper(") + expression + QLatin1Char(')') : expression;
}

QString OrderExpression(const Field &field) {
    return OrderExpression(field.fieldName(), field.origin(), field.isText());
}

QString OrderedStatement(const QString &sql, const QString &expression, const QString &key,
                         QString &memory, Qt::CaseSensitivity sameKey) {
    QString s = ReplaceText(sql, QStringLiteral("  "), QStringLiteral(" "));
    const bool descending =
        key.compare(memory, sameKey) == 0 &&
        (QLatin1Char(' ') + UpperTrim(s) + QLatin1Char(' ')).contains(QStringLiteral(" ASC "));
    // The upper-cased copy keeps the text's length, so the cut falls in the same place.
    const int orderBy = AnsiUpperCase(s).indexOf(QStringLiteral("ORDER BY"));
    if (orderBy >= 0)
        s = s.left(orderBy);
    memory = key;
    return s + QStringLiteral(" Order By ") + expression +
           (descending ? QStringLiteral(" Desc") : QStringLiteral(" Asc"));
}

} // namespace bkp::db
