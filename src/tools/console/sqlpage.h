#pragma once

#include "tools/consolelistings.h"

#include <QWidget>
#include <functional>

class QComboBox;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QToolButton;
class QVBoxLayout;

namespace bkp::widgets {
class DBGrid;
class DBNavigator;
class PanelStatusBar;
} // namespace bkp::widgets

namespace bkp::tools {
class ConsoleSession;
}

namespace bkp::tools::console {

// The console's "Monitor SQL" page: the statement editor and its tool bars, the
// tables and fields to pick from, the result grid with its navigator and key
// combo, the history menu and the listings of the result.
class SqlPage : public QWidget {
    Q_OBJECT
public:
    explicit SqlPage(QWidget *parent = nullptr);

    // The session whose statements the page runs; `statusBar` is the console's
    // (StatusBar1); `listingContext` what the listings take from the whole console.
    void bind(ConsoleSession *session, widgets::PanelStatusBar *statusBar,
              std::function<ConsoleListingContext()> listingContext);

    QPlainTextEdit *editor() const { return RichEdit_SQL; }
    QListWidget *tableList() const { return ListBox_Tabelas; }
    QListWidget *fieldList() const { return ListBox_Campos; }
    widgets::DBGrid *resultGrid() const { return DBGrid1; }
    QComboBox *keyCombo() const { return ComboBox_PK; }
    QMenu *historyMenu() const { return PopupMenu_Historicos; }
    // What the grid export switches off besides the tool buttons.
    QList<QWidget *> inputs() const;

    void ToolButton_SQLClick();
    void ToolButton_AnteriorClick();
    // The table names of the database (and its system tables after "Sistema").
    void CarregaTabelas();
    void TableClick();
    void AbrirConsulta(bool detailed);
    void TransportaCampo();
    void ComboBox_PKChange();
    void ToolButton_TableSystemClick();
    void DBGrid1TitleClick(const QString &fieldName);
    void DBGridFields(); // "Sort Grid"
    void ViewDeSelect();
    void showRecordPosition();

signals:
    // The names just loaded, for the Tables page.
    void tablesLoaded(const QStringList &names);

private:
    void buildToolBar(QVBoxLayout *page);
    QWidget *buildTablePicker();
    QWidget *buildEditorAndResult();
    void PreencheMenu();
    void keepSortedColumns();
    void showCurrencies(); // the fields the "Currency" directive lists
    void resultListing(void (ConsoleListings::*command)());

    ConsoleSession *m_session = nullptr;
    widgets::PanelStatusBar *StatusBar1 = nullptr;
    std::function<ConsoleListingContext()> m_listingContext;
    bool m_systemTables = false;

    QListWidget *ListBox_Tabelas = nullptr;
    QListWidget *ListBox_Campos = nullptr;
    QPlainTextEdit *RichEdit_SQL = nullptr;
    widgets::DBNavigator *DBNavigator_SQL = nullptr;
    widgets::DBGrid *DBGrid1 = nullptr;
    QComboBox *ComboBox_PK = nullptr;
    QMenu *PopupMenu_Historicos = nullptr;
    QToolButton *ToolButton_Anterior = nullptr;
};

} // namespace bkp::tools::console
