#include "tools/consolerules.h"

#include "db/ordering.h"
#include "lib/strings.h"

#include <QRegularExpression>

namespace bkp::tools {

QString ConsoleCaption(const QString &company, const QString &user, const QString &databaseName) {
    QString text;
    if (!company.isEmpty())
        text += QLatin1Char('[') + company + QLatin1Char(']');
    if (!user.isEmpty())
        text += QLatin1Char('[') + user + QLatin1Char(']');
    text = QStringLiteral("FBConsole ") + text + QLatin1Char('[') + databaseName.toLower() +
           QLatin1Char(']');
    return text.replace(QStringLiteral("]["), QStringLiteral("] ["));
}

static bool isConsoleLetter(QChar c) {
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || c == QChar(0xD1) || c == QChar(0xF1);
}

QString LettersOnly(const QString &text) {
    QString out;
    for (QChar c : text)
        if (isConsoleLetter(c))
            out += c;
    return out;
}

QString StatementKeyword(const QString &text) {
    return LettersOnly(UpperTrim(text.left(6)));
}

StatementClass ClassifyKeyword(const QString &keyword) {
    if (keyword == QLatin1String("SELECT"))
        return StatementClass::Select;
    if (keyword == QLatin1String("INSERT") || keyword == QLatin1String("UPDATE") ||
        keyword == QLatin1String("DELETE"))
        return StatementClass::DataChanging;
    if (keyword == QLatin1String("CREATE") || keyword == QLatin1String("ALTER") ||
        keyword.left(4) == QLatin1String("DROP"))
        return StatementClass::StructureChanging;
    return StatementClass::Command;
}

void StatementHistory::add(const QString &statement) {
    m_entries.append(statement);
    m_cursor = int(m_entries.size());
}

QString StatementHistory::previous() {
    m_cursor = qMin(qMax(m_cursor, 1), int(m_entries.size()));
    if (m_entries.isEmpty())
        return QString();
    const QString text = m_entries.at(m_cursor - 1);
    --m_cursor;
    return text;
}

namespace {
QString shortHint(const QString &statement, int maxLines, int maxLength) {
    QStringList lines = statement.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    bool cut = lines.size() > maxLines;
    lines = lines.mid(0, maxLines);
    QString hint = lines.join(QLatin1Char('\n'));
    if (hint.size() > maxLength) {
        hint.truncate(maxLength);
        cut = true;
    }
    return cut ? hint + QStringLiteral("…") : hint;
}
} // namespace

QList<StatementHistory::MenuItem> StatementHistory::menuItems() const {
    QList<MenuItem> items;
    for (int i = int(m_entries.size()) - 1; i >= 0 && items.size() < MenuItems; --i) {
        const QString &s = m_entries.at(i);
        items.append({s.left(CaptionLength), shortHint(s, HintLines, HintLength), s});
    }
    return items;
}

QString AutoSaveFileName(TDateTime now) {
    int year, month, day, hour, minute, second, msec;
    DecodeDate(now, year, month, day);
    DecodeTime(now, hour, minute, second, msec);
    const quint32 dos = (quint32(year - 1980) << 25) | (quint32(month) << 21) |
                        (quint32(day) << 16) | (quint32(hour) << 11) | (quint32(minute) << 5) |
                        quint32(second / 2);
    return QString::number(qint32(dos)) + QStringLiteral(".sql");
}

QString AutoSaveText(const QStringList &history) {
    QString text;
    for (const QString &statement : history)
        text += statement + QLatin1Char('\n');
    return text;
}

namespace {
struct Directive {
    QString name, value;
};
QList<Directive> directives(const QString &text) {
    QList<Directive> out;
    for (const QString &line : text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq > 0)
            out.append({UpperTrim(line.left(eq)), line.mid(eq + 1)});
    }
    return out;
}
} // namespace

QString DirectiveValue(const QString &text, const QString &name) {
    for (const Directive &d : directives(text))
        if (d.name == UpperTrim(name))
            return d.value;
    return QString();
}

QStringList DirectiveValues(const QString &text, const QString &name) {
    QStringList values;
    for (const Directive &d : directives(text))
        if (d.name == UpperTrim(name))
            values.append(d.value);
    return values;
}

int TValueFrom::add(const QString &key, const QString &value) {
    m_items.append({key, value});
    return int(m_items.size()) - 1;
}

QString TValueFrom::valueOf(const QString &key, const QString &defaultValue) const {
    for (const TRegistro &r : m_items)
        if (r.key.toUpper() == key.toUpper())
            return r.value;
    return defaultValue;
}

int TValueFrom::indexOf(const QString &key) const {
    if (key.isEmpty())
        return -1;
    for (int i = int(m_items.size()) - 1; i >= 0; --i)
        if (m_items.at(i).key.toUpper() == key.toUpper())
            return i;
    return -1;
}

void TValueFrom::setValue(const QString &key, const QString &value, bool append) {
    const int i = indexOf(key);
    if (i < 0)
        add(key, value);
    else if (append)
        m_items[i].value += value;
    else
        m_items[i].value = value;
}

QString TableOfStatement(const QString &statement) {
    if (!statement.toLower().contains(QLatin1String("select")))
        return statement;
    static const QRegularExpression from(QStringLiteral("\\bfrom\\s+(\"[^\"]+\"|[A-Za-z0-9_$]+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = from.match(statement);
    return m.hasMatch() ? m.captured(1) : statement;
}

QString FieldInsertionText(const QStringList &fields, const QString &table, int tableIndex) {
    QString text;
    for (const QString &field : fields) {
        if (!text.isEmpty())
            text += QStringLiteral(",\r\n");
        text += tableIndex > 0 ? table + QLatin1Char('.') + field : field;
    }
    return text;
}

QString &LastSortKey() {
    static QString key;
    return key;
}

QString SortedStatement(const QString &dataSetName, const QString &statement,
                        const QString &expression) {
    return db::OrderedStatement(statement, expression,
                                UpperTrim(dataSetName) + UpperTrim(expression), LastSortKey(),
                                Qt::CaseSensitive);
}

QString ViewSourceForm(const QString &text) {
    QString out;
    for (QChar c : text.toUpper())
        if ((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
            (c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            out += c;
    return out.remove(QStringLiteral("SELECT"));
}

bool IsCreateViewText(const QString &text) {
    return ViewSourceForm(text).contains(QStringLiteral("CREATEVIEW"));
}

QString CreateViewStatement(const QString &verb, const QString &name, const QStringList &columns,
                            const QString &text) {
    return verb + QLatin1Char(' ') + name + QStringLiteral("\r\n(") +
           columns.join(QLatin1Char(',')) + QStringLiteral(")\r\nAs\r\n") + text;
}

} // namespace bkp::tools
