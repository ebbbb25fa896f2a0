#pragma once

#include "db/query.h"
#include "db/table.h"
#include "tools/consolelistings.h"
#include "tools/consolesession.h"

#include <QDialog>
#include <memory>

class QComboBox;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QTabWidget;
class QTextEdit;
class QToolButton;

namespace bkp::widgets {
class DBGrid;
class DBMemo;
class DBNavigator;
class PanelStatusBar;
} // namespace bkp::widgets

namespace bkp::tools {

// The SQL console over one open connection: statements and their results, the
// table browser, and the procedures, triggers and views of the database.
class TfFBConsole : public QDialog {
    Q_OBJECT
public:
    explicit TfFBConsole(QWidget *parent = nullptr);
    ~TfFBConsole() override;

    // Creates a console, shows it modally and destroys it when it closes.
    static void Execute(db::Database *database, const QString &company, bool readOnly,
                        const QString &user, QWidget *parent = nullptr);
    // Binds the data sets to the connection, builds the caption, shows the window.
    int ShowForm(db::Database *database, const QString &company, bool readOnly,
                 const QString &user);
    // Everything ShowForm does except running the window (tests drive it shown).
    void Prepare(db::Database *database, const QString &company, bool readOnly,
                 const QString &user);

    ConsoleSession *session() const { return m_session.get(); }
    QPlainTextEdit *editor() const { return RichEdit_SQL; }
    QListWidget *tableList() const { return ListBox_Tabelas; }
    QListWidget *fieldList() const { return ListBox_Campos; }
    QTabWidget *pages() const { return PageControl_Master; }
    widgets::DBGrid *resultGrid() const { return DBGrid1; }
    QComboBox *keyCombo() const { return ComboBox_PK; }
    widgets::PanelStatusBar *statusBar() const { return StatusBar1; }
    QMenu *historyMenu() const { return PopupMenu_Historicos; }

    void ToolButton_SQLClick();
    void ToolButton_AnteriorClick();
    void CarregaTabelas();
    void TableClick();
    void AbrirConsulta(bool detailed);
    void TransportaCampo();
    void ComboBox_PKChange();
    void AutoSaveScripts();
    void AbreTabela(const QString &table);
    // A catalogue page shown: its query is opened when it is not.
    void openCataloguePage(int page);
    void removeCatalogueRow(int page);
    void ToolButton_DBGridViewExecutarClick();
    void ToolButton_TableSystemClick();
    void DBGrid1TitleClick(const QString &fieldName);
    void DBGridFields(); // "Sort Grid"
    void ViewDeSelect();
    void editMemo(widgets::DBGrid *grid, const QString &fieldName);
    // What the listing commands take from the console, for the SQL page's result.
    ConsoleListingContext listingContext();

    db::Table &tableBrowser() { return IBTable1; }
    db::Query &catalogue(int page) { return *m_catalogue[page]; }
    enum Page { SqlPage, TablesPage, ProceduresPage, TriggersPage, ViewsPage };

protected:
    void done(int result) override;

private:
    void buildWindow();
    void buildTablesPage();
    void buildCataloguePage(Page page, const QString &name, const QString &caption,
                            const QStringList &sql, const QString &nameField,
                            const QString &sourceField,
                            const QList<QPair<QString, QString>> &columns);
    QToolButton *toolButton(const QString &name, const QString &caption, const QString &hint);
    void PreencheMenu();
    void ShowTables();
    void showRecordPosition();
    void resultListing(void (ConsoleListings::*command)());
    void loadScript();
    void saveScript();

    std::unique_ptr<ConsoleSession> m_session;
    QString m_company, m_user;
    bool m_systemTables = false;

    QTabWidget *PageControl_Master = nullptr;
    widgets::PanelStatusBar *StatusBar1 = nullptr;
    QListWidget *ListBox_Tabelas = nullptr;
    QListWidget *ListBox_Campos = nullptr;
    QPlainTextEdit *RichEdit_SQL = nullptr;
    widgets::DBNavigator *DBNavigator_SQL = nullptr;
    widgets::DBGrid *DBGrid1 = nullptr;
    QComboBox *ComboBox_PK = nullptr;
    QMenu *PopupMenu_Historicos = nullptr;
    QToolButton *ToolButton_Anterior = nullptr;

    db::Table IBTable1;
    db::Query IBProcedures, IBTriggers, IBViews;
    db::Query *m_catalogue[5] = {nullptr, nullptr, &IBProcedures, &IBTriggers, &IBViews};
    QString m_catalogueName[5];
    QListWidget *ListBox_TableNames = nullptr;
    QComboBox *ComboBox_Tabelas = nullptr;
    widgets::DBGrid *DBGrid2 = nullptr;
    widgets::DBNavigator *DBNavigator_Tabelas = nullptr;
    widgets::PanelStatusBar *StatusBar2 = nullptr;
    QPlainTextEdit *RichEdit_Fields = nullptr;
    QPlainTextEdit *RichEdit_Indexes = nullptr;
    widgets::DBGrid *m_catalogueGrid[5] = {};
};

} // namespace bkp::tools
