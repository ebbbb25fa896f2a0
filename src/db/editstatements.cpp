#include "db/editstatements.h"

#include "db/identifiers.h"

namespace bkp::db {

namespace {
// A parameter is ours, not the engine's: its case does not matter, only blanks and
// signs need the quotes.
QString parameter(const QString &name) {
    return QLatin1Char(':') + (NeedsQuotes(name.toUpper()) ? QuoteIdentifier(name) : name);
}
} // namespace

UpdateSQL GenerateEditStatements(const QString &table, const QStringList &key,
                                 const QStringList &columns, const EditStatementStyle &style) {
    UpdateSQL u;
    QStringList names, marks;
    for (const QString &c : columns) {
        names.append(QuoteIdentifier(c));
        marks.append(parameter(c));
    }
    auto listed = [&](const QStringList &items) {
        QStringList lines;
        for (int i = 0; i < items.size(); ++i)
            lines.append(style.indent + items[i] +
                         (i + 1 < items.size() ? QStringLiteral(",") : QString()));
        return lines;
    };
    auto conditions = [&](const QString &prefix) {
        QStringList lines;
        for (int i = 0; i < key.size(); ++i) {
            // A key typed in lower case is the engine's upper-case name unless it needs quotes.
            const QString k = style.upperCaseConditions && !NeedsQuotes(key[i].toUpper())
                                  ? key[i].toUpper()
                                  : key[i];
            QString line = QuoteIdentifier(k) + style.equals + parameter(prefix + k);
            if (style.upperCaseConditions && !NeedsQuotes(k))
                line = line.toUpper();
            lines.append(style.indent + line +
                         (i + 1 < key.size() ? QStringLiteral(" and") : QString()));
        }
        return lines;
    };
    QStringList sets;
    for (int i = 0; i < names.size(); ++i)
        sets.append(names[i] + style.equals + marks[i]);

    u.refreshSQL = QStringList{style.select} + listed(names) +
                   QStringList{style.from + QLatin1Char(' ') + table, style.where} +
                   conditions(style.refreshKeyPrefix);
    u.modifySQL = QStringList{style.update + QLatin1Char(' ') + table, style.set} + listed(sets) +
                  QStringList{style.where} + conditions(style.oldKeyPrefix);
    u.insertSQL = {
        style.insertInto + QLatin1Char(' ') + table,
        style.indent + QLatin1Char('(') + names.join(style.listSeparator) + QLatin1Char(')'),
        style.values,
        style.indent + QLatin1Char('(') + marks.join(style.listSeparator) + QLatin1Char(')')};
    u.deleteSQL = QStringList{style.deleteFrom + QLatin1Char(' ') + table, style.where} +
                  conditions(style.oldKeyPrefix);
    return u;
}

EditStatementStyle JobTableStyle() {
    EditStatementStyle s;
    s.indent = QStringLiteral("  ");
    return s;
}

EditStatementStyle ConsoleStyle() {
    EditStatementStyle s;
    s.where = QStringLiteral("Where");
    s.update = QStringLiteral("Update");
    s.set = QStringLiteral("Set");
    s.insertInto = QStringLiteral("Insert Into");
    s.values = QStringLiteral("Values");
    s.deleteFrom = QStringLiteral("Delete from");
    s.equals = QStringLiteral("=");
    s.listSeparator = QStringLiteral(",");
    s.refreshKeyPrefix = QStringLiteral("Old_");
    s.oldKeyPrefix = QStringLiteral("Old_");
    s.upperCaseConditions = true;
    return s;
}

} // namespace bkp::db
