#include "db/identifiers.h"

#include <QSet>

namespace bkp::db {

namespace {
// The engine's reserved words: as a column or table name they must be quoted.
const QSet<QString> &reservedWords() {
    static const QSet<QString> words = [] {
        const char *list[] = {"ADD",
                              "ADMIN",
                              "ALL",
                              "ALTER",
                              "AND",
                              "ANY",
                              "AS",
                              "AT",
                              "AVG",
                              "BEGIN",
                              "BETWEEN",
                              "BIGINT",
                              "BIT_LENGTH",
                              "BLOB",
                              "BOOLEAN",
                              "BOTH",
                              "BY",
                              "CASE",
                              "CAST",
                              "CHAR",
                              "CHAR_LENGTH",
                              "CHARACTER",
                              "CHARACTER_LENGTH",
                              "CHECK",
                              "CLOSE",
                              "COLLATE",
                              "COLUMN",
                              "COMMIT",
                              "CONNECT",
                              "CONSTRAINT",
                              "CORR",
                              "COUNT",
                              "COVAR_POP",
                              "COVAR_SAMP",
                              "CREATE",
                              "CROSS",
                              "CURRENT",
                              "CURRENT_CONNECTION",
                              "CURRENT_DATE",
                              "CURRENT_ROLE",
                              "CURRENT_TIME",
                              "CURRENT_TIMESTAMP",
                              "CURRENT_TRANSACTION",
                              "CURRENT_USER",
                              "CURSOR",
                              "DATE",
                              "DAY",
                              "DEC",
                              "DECIMAL",
                              "DECLARE",
                              "DEFAULT",
                              "DELETE",
                              "DELETING",
                              "DETERMINISTIC",
                              "DISCONNECT",
                              "DISTINCT",
                              "DOUBLE",
                              "DROP",
                              "ELSE",
                              "END",
                              "ESCAPE",
                              "EXECUTE",
                              "EXISTS",
                              "EXTERNAL",
                              "EXTRACT",
                              "FALSE",
                              "FETCH",
                              "FILTER",
                              "FLOAT",
                              "FOR",
                              "FOREIGN",
                              "FROM",
                              "FULL",
                              "FUNCTION",
                              "GDSCODE",
                              "GLOBAL",
                              "GRANT",
                              "GROUP",
                              "HAVING",
                              "HOUR",
                              "IN",
                              "INDEX",
                              "INNER",
                              "INSENSITIVE",
                              "INSERT",
                              "INSERTING",
                              "INT",
                              "INTEGER",
                              "INTO",
                              "IS",
                              "JOIN",
                              "LEADING",
                              "LEFT",
                              "LIKE",
                              "LONG",
                              "LOWER",
                              "MAX",
                              "MERGE",
                              "MIN",
                              "MINUTE",
                              "MONTH",
                              "NATIONAL",
                              "NATURAL",
                              "NCHAR",
                              "NO",
                              "NOT",
                              "NULL",
                              "NUMERIC",
                              "OCTET_LENGTH",
                              "OF",
                              "OFFSET",
                              "ON",
                              "ONLY",
                              "OPEN",
                              "OR",
                              "ORDER",
                              "OUTER",
                              "OVER",
                              "PARAMETER",
                              "PLAN",
                              "POSITION",
                              "POST_EVENT",
                              "PRECISION",
                              "PRIMARY",
                              "PROCEDURE",
                              "RDB$DB_KEY",
                              "RDB$RECORD_VERSION",
                              "REAL",
                              "RECORD_VERSION",
                              "RECREATE",
                              "RECURSIVE",
                              "REFERENCES",
                              "REGR_AVGX",
                              "REGR_AVGY",
                              "REGR_COUNT",
                              "REGR_INTERCEPT",
                              "REGR_R2",
                              "REGR_SLOPE",
                              "REGR_SXX",
                              "REGR_SXY",
                              "REGR_SYY",
                              "RELEASE",
                              "RETURN",
                              "RETURNING_VALUES",
                              "RETURNS",
                              "REVOKE",
                              "RIGHT",
                              "ROLLBACK",
                              "ROW",
                              "ROW_COUNT",
                              "ROWS",
                              "SAVEPOINT",
                              "SCROLL",
                              "SECOND",
                              "SELECT",
                              "SENSITIVE",
                              "SET",
                              "SIMILAR",
                              "SMALLINT",
                              "SOME",
                              "SQLCODE",
                              "SQLSTATE",
                              "START",
                              "STDDEV_POP",
                              "STDDEV_SAMP",
                              "SUM",
                              "TABLE",
                              "THEN",
                              "TIME",
                              "TIMESTAMP",
                              "TO",
                              "TRAILING",
                              "TRIGGER",
                              "TRIM",
                              "TRUE",
                              "UNION",
                              "UNIQUE",
                              "UNKNOWN",
                              "UPDATE",
                              "UPDATING",
                              "UPPER",
                              "USER",
                              "USING",
                              "VALUE",
                              "VALUES",
                              "VAR_POP",
                              "VAR_SAMP",
                              "VARCHAR",
                              "VARIABLE",
                              "VARYING",
                              "VIEW",
                              "WHEN",
                              "WHERE",
                              "WHILE",
                              "WITH",
                              "YEAR"};
        QSet<QString> s;
        for (const char *w : list)
            s.insert(QString::fromLatin1(w));
        return s;
    }();
    return words;
}
} // namespace

bool IsReservedWord(const QString &word) {
    return reservedWords().contains(word.toUpper());
}

bool NeedsQuotes(const QString &name) {
    if (name.isEmpty())
        return true;
    const QChar first = name.at(0);
    if (!(first >= QLatin1Char('A') && first <= QLatin1Char('Z')))
        return true;
    for (QChar c : name) {
        const bool plain = (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                           c == QLatin1Char('_') || c == QLatin1Char('$');
        if (!plain)
            return true;
    }
    return IsReservedWord(name);
}

QString QuoteIdentifier(const QString &name) {
    if (!NeedsQuotes(name))
        return name;
    QString inner = name;
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

QString CatalogueName(const QString &sqlName) {
    const QString t = sqlName.trimmed();
    if (t.size() >= 2 && t.startsWith(QLatin1Char('"')) && t.endsWith(QLatin1Char('"')))
        return t.mid(1, t.size() - 2).replace(QLatin1String("\"\""), QLatin1String("\""));
    // A plain name is stored upper-cased; one with blanks or signs only as it stands.
    return NeedsQuotes(t.toUpper()) && !IsReservedWord(t) ? t : t.toUpper();
}

} // namespace bkp::db
