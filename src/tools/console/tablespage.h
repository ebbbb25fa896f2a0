#pragma once

#include "db/table.h"
#include "tools/consolelistings.h"

#include <QWidget>
#include <functional>

class QComboBox;
class QListWidget;
class QPlainTextEdit;

namespace bkp::widgets {
class DBGrid;
class DBNavigator;
class PanelStatusBar;
} // namespace bkp::widgets

namespace bkp::tools {
class ConsoleSession;
}

namespace bkp::tools::console {

// The console's "Tables" page: a whole table browsed and edited in its grid, with
// its fields and indexes.
class TablesPage : public QWidget {
    Q_OBJECT
public:
    explicit TablesPage(QWidget *parent = nullptr);

    // `listingContext` is what the listings take from the whole console; the page
    // puts its own table, grid and status bar in it.
    void bind(ConsoleSession *session, std::function<ConsoleListingContext()> listingContext);

    db::Table &table() { return IBTable1; }
    // The database's table names, none of them opened yet.
    void setTables(const QStringList &names);
    void AbreTabela(const QString &table);

signals:
    // A table name double-clicked: the SQL page opens the query of its chosen table.
    void queryRequested();

private:
    void buildData(QWidget *data);
    void showRecordPosition();

    ConsoleSession *m_session = nullptr;
    std::function<ConsoleListingContext()> m_listingContext;
    db::Table IBTable1;
    QListWidget *ListBox_TableNames = nullptr;
    QComboBox *ComboBox_Tabelas = nullptr;
    widgets::DBGrid *DBGrid2 = nullptr;
    widgets::DBNavigator *DBNavigator_Tabelas = nullptr;
    widgets::PanelStatusBar *StatusBar2 = nullptr;
    QPlainTextEdit *RichEdit_Fields = nullptr;
    QPlainTextEdit *RichEdit_Indexes = nullptr;
};

} // namespace bkp::tools::console
