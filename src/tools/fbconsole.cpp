#include "tools/fbconsole.h"

#include "db/database.h"
#include "lib/ui.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/windowlookup.h"
#include "tools/console/cataloguepage.h"
#include "tools/console/sqlpage.h"
#include "tools/console/tablespage.h"
#include "tools/consolescripts.h"
#include "widgets/statusbar.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace bkp::tools {

TfFBConsole::TfFBConsole(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TfFBConsole"));
    setWindowTitle(QStringLiteral("FBConsole"));
    auto *root = new QVBoxLayout(this);
    PageControl_Master = new QTabWidget(this);
    PageControl_Master->setObjectName(QStringLiteral("PageControl_Master"));
    root->addWidget(PageControl_Master);
    StatusBar1 = new widgets::PanelStatusBar({128, 50, 50, 50}, this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    root->addWidget(StatusBar1);

    m_sqlPage = new console::SqlPage;
    PageControl_Master->addTab(m_sqlPage, QStringLiteral("Monitor SQL"));
    m_tablesPage = new console::TablesPage;
    PageControl_Master->addTab(m_tablesPage, QStringLiteral("Tables"));
    for (auto kind : {console::CataloguePage::Procedures, console::CataloguePage::Triggers,
                      console::CataloguePage::Views}) {
        auto *page = new console::CataloguePage(kind);
        m_catalogues[kind] = page;
        PageControl_Master->addTab(page, page->caption());
    }
    connect(m_sqlPage, &console::SqlPage::tablesLoaded, m_tablesPage,
            &console::TablesPage::setTables);
    // A table name double-clicked on the Tables page opens the SQL page's chosen table.
    connect(m_tablesPage, &console::TablesPage::queryRequested, m_sqlPage,
            [this] { m_sqlPage->AbrirConsulta(false); });
    connect(PageControl_Master, &QTabWidget::currentChanged, this, [this](int page) {
        if (page == TablesPage)
            m_tablesPage->table().setReadOnly(m_session && m_session->readOnly());
        else if (page >= ProceduresPage)
            cataloguePage(page)->open();
    });
    resize(1000, 700);
}

TfFBConsole::~TfFBConsole() = default;

console::CataloguePage *TfFBConsole::cataloguePage(int page) const {
    return m_catalogues[page - ProceduresPage];
}
QPlainTextEdit *TfFBConsole::editor() const {
    return m_sqlPage->editor();
}
QListWidget *TfFBConsole::tableList() const {
    return m_sqlPage->tableList();
}
QListWidget *TfFBConsole::fieldList() const {
    return m_sqlPage->fieldList();
}
widgets::DBGrid *TfFBConsole::resultGrid() const {
    return m_sqlPage->resultGrid();
}
QComboBox *TfFBConsole::keyCombo() const {
    return m_sqlPage->keyCombo();
}
QMenu *TfFBConsole::historyMenu() const {
    return m_sqlPage->historyMenu();
}
void TfFBConsole::ToolButton_SQLClick() {
    m_sqlPage->ToolButton_SQLClick();
}
void TfFBConsole::AbrirConsulta(bool detailed) {
    m_sqlPage->AbrirConsulta(detailed);
}
void TfFBConsole::DBGrid1TitleClick(const QString &fieldName) {
    m_sqlPage->DBGrid1TitleClick(fieldName);
}
void TfFBConsole::AbreTabela(const QString &table) {
    m_tablesPage->AbreTabela(table);
}
db::Table &TfFBConsole::tableBrowser() {
    return m_tablesPage->table();
}
db::Query &TfFBConsole::catalogue(int page) {
    return cataloguePage(page)->query();
}

void TfFBConsole::runInSqlPage(const QString &text) {
    PageControl_Master->setCurrentIndex(SqlPage);
    m_sqlPage->editor()->setPlainText(text);
    m_sqlPage->ToolButton_SQLClick();
}

void TfFBConsole::Prepare(db::Database *database, const QString &company, bool readOnly,
                          const QString &user) {
    m_company = company;
    m_user = user;
    m_session = std::make_unique<ConsoleSession>(database, readOnly, StatusBar1);
    m_sqlPage->bind(m_session.get(), StatusBar1, [this] { return listingContext(); });
    m_tablesPage->bind(m_session.get(), [this] { return listingContext(); });
    for (console::CataloguePage *page : m_catalogues)
        page->bind(m_session.get(), [this](const QString &text) { runInSqlPage(text); });
    setWindowTitle(ConsoleCaption(company, user, database->databaseName()));
    PageControl_Master->setCurrentIndex(SqlPage);
    cataloguePage(ViewsPage)->setRemoveEnabled(platform::FindWindow(QStringLiteral("TAppBuilder")));
    ShowStatus(StatusBar1, 3, database->databaseName());
    m_sqlPage->CarregaTabelas();
    m_sqlPage->editor()->clear();
    m_sqlPage->editor()->setFocus();
}

int TfFBConsole::ShowForm(db::Database *database, const QString &company, bool readOnly,
                          const QString &user) {
    Prepare(database, company, readOnly, user);
    const int result = exec();
    if (platform::terminated()) {
        // The program ends (end of session, SIGTERM) under the open console: work
        // never confirmed is rolled back, and the history is saved as on a close.
        if (m_session->pending())
            m_session->rollback();
        ConsoleScripts::autoSave(m_session->history().entries());
    }
    return result;
}

void TfFBConsole::Execute(db::Database *database, const QString &company, bool readOnly,
                          const QString &user, QWidget *parent) {
    TfFBConsole console(parent);
    console.ShowForm(database, company, readOnly, user);
}

ConsoleListingContext TfFBConsole::listingContext() {
    ConsoleListingContext c;
    c.data = &m_session->query();
    c.grid = m_sqlPage->resultGrid();
    // The editor keeps bare line feeds; the listings break the statement's lines at
    // carriage return + line feed, as it was typed.
    QString statement = m_session->lastStatement();
    statement.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    statement.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    c.lastStatement = statement;
    c.tableName = m_session->tableOfQuery();
    c.company = m_company;
    c.user = m_user;
    c.databaseName = m_session->database()->databaseName();
    c.statusBar = StatusBar1;
    c.window = this;
    // What the grid export switches off while it runs: everything the operator
    // could start something with; the grid stays lit under its progress bar.
    c.controls.append(PageControl_Master->tabBar());
    for (QToolButton *b : findChildren<QToolButton *>())
        if (b->objectName().startsWith(QLatin1String("ToolButton")))
            c.controls.append(b);
    c.controls.append(m_sqlPage->inputs());
    c.title = DirectiveValue(statement, QStringLiteral("Title"));
    c.subtitle = DirectiveValue(statement, QStringLiteral("SubTitle"));
    c.group = DirectiveValue(statement, QStringLiteral("Group"));
    c.sums = DirectiveValues(statement, QStringLiteral("Sum"));
    c.afterScroll = [this] {
        m_sqlPage->showRecordPosition();
    };
    return c;
}

void TfFBConsole::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfFBConsole::done(int result) {
    if (m_session && m_session->pending()) {
        const int answer = ShowMessageBox(
            QStringLiteral("Confirma alterações feitas no banco de dados?"),
            QStringLiteral("Confirmar alterações"),
            platform::MB_YESNO | platform::MB_ICONWARNING | platform::MB_DEFBUTTON2, this);
        if (answer == platform::IDYES)
            m_session->commit();
        else
            m_session->rollback();
    }
    if (m_session)
        ConsoleScripts::autoSave(m_session->history().entries());
    QDialog::done(result);
}

} // namespace bkp::tools
