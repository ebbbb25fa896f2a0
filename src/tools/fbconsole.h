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

namespace bkp::widgets {
class DBGrid;
class PanelStatusBar;
} // namespace bkp::widgets

namespace bkp::tools::console {
class SqlPage;
class TablesPage;
class CataloguePage;
} // namespace bkp::tools::console

namespace bkp::tools {

// The SQL console over one open connection: statements and their results, the
// table browser, and the procedures, triggers and views of the database. The
// window holds the session, the page control and the status bar; each page is
// its own class in tools/console/.
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

    enum Page { SqlPage, TablesPage, ProceduresPage, TriggersPage, ViewsPage };

    ConsoleSession *session() const { return m_session.get(); }
    console::SqlPage *sqlPage() const { return m_sqlPage; }
    console::TablesPage *tablesPage() const { return m_tablesPage; }
    console::CataloguePage *cataloguePage(int page) const;
    QPlainTextEdit *editor() const;
    QListWidget *tableList() const;
    QListWidget *fieldList() const;
    QTabWidget *pages() const { return PageControl_Master; }
    widgets::DBGrid *resultGrid() const;
    QComboBox *keyCombo() const;
    widgets::PanelStatusBar *statusBar() const { return StatusBar1; }
    QMenu *historyMenu() const;

    // The SQL page's commands, as the tests and the benchmarks start them.
    void ToolButton_SQLClick();
    void AbrirConsulta(bool detailed);
    void DBGrid1TitleClick(const QString &fieldName);
    void AbreTabela(const QString &table);
    // What the listing commands take from the console, for the SQL page's result.
    ConsoleListingContext listingContext();

    db::Table &tableBrowser();
    db::Query &catalogue(int page);

protected:
    void done(int result) override;
    // Escape does not close the console: its result, key map and pending work stay.
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The SQL page shown with `text` in its editor, run.
    void runInSqlPage(const QString &text);

    std::unique_ptr<ConsoleSession> m_session;
    QString m_company, m_user;
    QTabWidget *PageControl_Master = nullptr;
    widgets::PanelStatusBar *StatusBar1 = nullptr;
    console::SqlPage *m_sqlPage = nullptr;
    console::TablesPage *m_tablesPage = nullptr;
    console::CataloguePage *m_catalogues[3] = {};
};

} // namespace bkp::tools
