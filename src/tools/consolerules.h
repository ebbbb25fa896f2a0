#pragma once

#include "lib/datetime.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace bkp::tools {

// The rules of the SQL console that need no window: what its caption, history,
// auto-save file, listing directives, key map, sorting and views are made of.

// "FBConsole " + "[company]" + "[user]" + "[database in lower case]", every "]["
// written "] [".
QString ConsoleCaption(const QString &company, const QString &user, const QString &databaseName);

// The first six characters, upper-cased and trimmed, reduced to their letters.
QString StatementKeyword(const QString &text);
enum class StatementClass { Select, Command, DataChanging, StructureChanging };
StatementClass ClassifyKeyword(const QString &keyword);

// The text with only its letters (A-Z, a-z, Ñ, ñ) kept.
QString LettersOnly(const QString &text);

// The statements that ran, oldest first, with the cursor "Anterior" walks back on.
class StatementHistory {
public:
    static constexpr int MenuItems = 20;
    static constexpr int CaptionLength = 80;
    // A hint of a few lines: a long statement would make a screen-high tooltip.
    static constexpr int HintLines = 8;
    static constexpr int HintLength = 600;

    void add(const QString &statement); // the cursor goes to the newest entry
    // The statement "Anterior" puts into the editor; empty when there is none.
    QString previous();
    const QStringList &entries() const { return m_entries; }
    int cursor() const { return m_cursor; }
    struct MenuItem {
        QString caption, hint, statement; // the statement is what a click puts back
    };
    // At most MenuItems items, newest first.
    QList<MenuItem> menuItems() const;

private:
    QStringList m_entries;
    int m_cursor = 0;
};

// The 32-bit DOS file date of the moment as decimal text, + ".sql".
QString AutoSaveFileName(TDateTime now);
// Each statement followed by a line break.
QString AutoSaveText(const QStringList &history);

// Listing directives: "name=value" lines anywhere in a statement's text.
QString DirectiveValue(const QString &text, const QString &name);
QStringList DirectiveValues(const QString &text, const QString &name);

// One table and the column chosen as its primary key.
struct TRegistro {
    QString key, value;
};

// The console's primary-key map; keys compare upper-cased.
class TValueFrom {
public:
    int add(const QString &key, const QString &value);
    QString valueOf(const QString &key, const QString &defaultValue = QString()) const;
    int indexOf(const QString &key) const; // the last match; -1 when absent or empty
    const TRegistro &item(int index) const { return m_items.at(index); }
    int count() const { return int(m_items.size()); }
    void setValue(const QString &key, const QString &value, bool append = false);

private:
    QList<TRegistro> m_items;
};

// The table a select reads (its FROM clause); otherwise the statement itself.
QString TableOfStatement(const QString &statement);

// The selected fields as editor text; names carry "table." unless the first
// table of the list (index 0) is selected.
QString FieldInsertionText(const QStringList &fields, const QString &table, int tableIndex);

// The statement ordered by `expression`, ascending unless the same column was just
// sorted ascending; remembers the sort key process-wide.
QString SortedStatement(const QString &dataSetName, const QString &statement,
                        const QString &expression);
QString &LastSortKey();

// The view "View de select" makes of the editor's select.
QString ViewSourceForm(const QString &text); // upper-case letters and digits, "SELECT" removed
bool IsCreateViewText(const QString &text);
QString CreateViewStatement(const QString &verb, const QString &name, const QStringList &columns,
                            const QString &text);

} // namespace bkp::tools
