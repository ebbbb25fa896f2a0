#include "tools/fbconsole.h"

#include "db/dataroutines.h"
#include "db/statement.h"
#include "platform/windowlookup.h"
#include "reports/imagebrowser.h"
#include "support/firebird.h"
#include "support/modal.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"
#include "support/urlrecorder.h"
#include "widgets/dbgrid.h"
#include "widgets/statusbar.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QHeaderView>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace bkp;
using namespace bkp::tools;

TEST(FBConsoleWindow, RunsTheEditorsSelectAndAsksAboutPendingChangesOnClose) {
    test::TempDir dir;
    test::TestDatabase fdb(dir.file("Console.fdb"));
    db::ExecSQL(fdb.get(), "create table PECAS (ID integer not null primary key, NOME varchar(9))");
    db::ExecSQL(fdb.get(), "create table ALFA (X integer)");
    db::Statement proc(fdb.get(), fdb->defaultTransaction());
    proc.prepare("create procedure DOBRO (X integer) returns (Y integer) as "
                 "begin Y = :X * 2; suspend; end");
    proc.execute({});
    fdb->defaultTransaction()->commitRetaining();
    db::ExecSQL(fdb.get(), "insert into PECAS values (1, 'Porca')");
    fdb->defaultTransaction()->commitRetaining();
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped(&dialogs);

    TfFBConsole console;
    console.Prepare(fdb.get(), QString(), false, QString());
    EXPECT_EQ(console.windowTitle(), "FBConsole [" + fdb->databaseName().toLower() + "]");
    ASSERT_EQ(console.tableList()->count(), 2);
    EXPECT_EQ(console.fieldList()->count(), 1); // ALFA, the first table, is selected
    console.tableList()->setCurrentRow(1);
    EXPECT_EQ(console.fieldList()->count(), 2);

    console.AbrirConsulta(true); // the detailed form, outside the history
    EXPECT_EQ(console.editor()->toPlainText(), "Select\nPECAS.ID,\nPECAS.NOME\nFrom PECAS");
    EXPECT_TRUE(console.session()->history().entries().isEmpty());

    console.editor()->setPlainText("select * from PECAS");
    console.findChild<QToolButton *>("ToolButton_SQL")->click();
    EXPECT_TRUE(console.session()->query().active());
    EXPECT_EQ(console.resultGrid()->model()->rowCount(), 1);
    EXPECT_TRUE(console.editor()->toPlainText().isEmpty());
    EXPECT_EQ(console.historyMenu()->actions().size(), 1);
    EXPECT_EQ(console.keyCombo()->count(), 3); // ID, NOME and the empty item
    console.findChild<QToolButton *>("ToolButton_Anterior")->click();
    EXPECT_EQ(console.editor()->toPlainText(), "select * from PECAS");

    // The Tables page opens a table with its fields; the Procedures page its source.
    console.pages()->setCurrentIndex(TfFBConsole::TablesPage);
    console.AbreTabela("PECAS");
    EXPECT_EQ(console.tableBrowser().recordCount(), 1);
    EXPECT_EQ(console.findChild<QPlainTextEdit *>("RichEdit_Fields")->toPlainText(), "ID\nNOME");
    console.pages()->setCurrentIndex(TfFBConsole::ProceduresPage);
    EXPECT_TRUE(console.findChild<QPlainTextEdit *>("DBMemo_RDBPROCEDURE_SOURCE")
                    ->toPlainText()
                    .contains("Y = :X * 2"));
    dialogs.answer(platform::IDYES);
    console.findChild<QToolButton *>("ToolButton_RemoverProcedure")->click();
    EXPECT_TRUE(console.catalogue(TfFBConsole::ProceduresPage).isEmpty());
    EXPECT_FALSE(console.findChild<QToolButton *>("ToolButton_DBGridViewRemover")->isEnabled());
    console.pages()->setCurrentIndex(TfFBConsole::SqlPage);

    console.editor()->setPlainText("delete from PECAS");
    console.ToolButton_SQLClick();
    EXPECT_TRUE(console.session()->pending());
    dialogs.answer(platform::IDNO);
    console.reject();
    EXPECT_EQ(
        db::selectRows(fdb.get(), fdb->defaultTransaction(), "select count(*) from PECAS")[0][0]
            .toInt(),
        1);
}

TEST(FBConsoleWindow, StructureChangesReloadTitlesSortAndViewsAreRemovedWithTheDesigner) {
    test::TempDir dir;
    test::TestDatabase fdb(dir.file("Views.fdb"));
    for (const char *ddl :
         {"create table PECAS (ID integer, NOME varchar(9))", "create table VELHA (X integer)",
          "create view \"Peças vistas\" (NOME) as select NOME from PECAS"}) {
        db::ExecSQL(fdb.get(), ddl);
        fdb->defaultTransaction()->commitRetaining();
    }
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped(&dialogs);
    platform::setWindowLookup([](const QString &cls) { return cls == "TAppBuilder"; });
    TfFBConsole console;
    console.Prepare(fdb.get(), QString(), false, QString());
    platform::setWindowLookup({});
    EXPECT_EQ(console.tableList()->count(), 2);

    console.editor()->setPlainText("drop table VELHA");
    console.ToolButton_SQLClick();
    EXPECT_EQ(console.tableList()->count(), 1); // reconnected and reloaded
    EXPECT_TRUE(console.session()->pending());

    console.editor()->setPlainText("select * from PECAS");
    console.ToolButton_SQLClick();
    QStringList orders;
    for (int i = 0; i < 3; ++i) {
        console.DBGrid1TitleClick("NOME");
        orders << console.session()->query().sqlText().section(' ', -1);
    }
    EXPECT_EQ(orders, QStringList({"Asc", "Desc", "Asc"}));

    auto *remove = console.findChild<QToolButton *>("ToolButton_DBGridViewRemover");
    ASSERT_TRUE(remove->isEnabled());
    console.pages()->setCurrentIndex(TfFBConsole::ViewsPage);
    dialogs.answer(platform::IDYES);
    remove->click();
    EXPECT_TRUE(console.catalogue(TfFBConsole::ViewsPage).isEmpty());
    EXPECT_EQ(console.pages()->currentIndex(), int(TfFBConsole::SqlPage));
}

TEST(FBConsoleWindow, ListingsTakeTheResultItsStatementAndDirectivesAndGiveTheControlsBack) {
    test::TempDir dir;
    test::TestDatabase fdb(dir.file("Listings.fdb"));
    db::ExecSQL(fdb.get(), "create table PECAS (ID integer, NOME varchar(9))");
    fdb->defaultTransaction()->commitRetaining();
    db::ExecSQL(fdb.get(), "insert into PECAS values (1, 'Porca')");
    fdb->defaultTransaction()->commitRetaining();
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped(&dialogs);
    test::UrlRecorder opened;
    QDesktopServices::setUrlHandler("file", &opened, "open");
    TfFBConsole console;
    console.Prepare(fdb.get(), "Zelto", false, "ana");
    console.editor()->setPlainText("select * from PECAS\n/*\nTitle=Peças\nSum=ID\n*/");
    console.ToolButton_SQLClick();

    const ConsoleListingContext c = console.listingContext();
    EXPECT_EQ(c.lastStatement, "select * from PECAS\r\n/*\r\nTitle=Peças\r\nSum=ID\r\n*/");
    EXPECT_EQ(c.title, "Peças");
    EXPECT_EQ(c.sums, QStringList{"ID"});
    EXPECT_EQ(c.tableName, "PECAS");
    EXPECT_TRUE(c.controls.contains(console.findChild<QToolButton *>("ToolButton_SQL")));
    EXPECT_FALSE(c.controls.contains(console.resultGrid()));

    auto *menu = console.findChild<QMenu *>("PopupMenu_Labels");
    auto action = [menu](const QString &text) {
        for (QAction *a : menu->actions())
            if (a->text() == text)
                return a;
        return static_cast<QAction *>(nullptr);
    };
    const QString file = dir.file("Pecas.html");
    dialogs.answerText("Peças");
    dialogs.answerText(file);
    action("HTML")->trigger();
    QFile html(file);
    ASSERT_TRUE(html.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(html.readAll());
    EXPECT_TRUE(text.contains("<td>Zelto&nbsp;</td>"));
    EXPECT_TRUE(text.contains("select * from PECAS<br>/*<br>Title=Peças"));

    // The grid export switches the console's controls off and gives them back,
    // also when its file cannot be written.
    QList<bool> before;
    for (QWidget *w : c.controls)
        before << w->isEnabled();
    const QByteArray tmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", file.toUtf8()); // a file, not a folder
    dialogs.answerText("");
    EXPECT_ANY_THROW(action("DBGridToHTML")->trigger());
    qputenv("TMPDIR", tmp);
    QList<bool> after;
    for (QWidget *w : c.controls)
        after << w->isEnabled();
    EXPECT_EQ(after, before);
    EXPECT_TRUE(before.contains(true));

    // The Tables page's images browse the open table; the position is shown again after.
    console.pages()->setCurrentIndex(TfFBConsole::TablesPage);
    console.AbreTabela("PECAS");
    console.statusBar()->setPanelText(0, QString());
    auto *status2 = console.findChild<widgets::PanelStatusBar *>("StatusBar2");
    status2->setPanelText(0, QString());
    QString browsed;
    test::whenModalOpens<reports::TfImageBrowser>(
        [&](reports::TfImageBrowser &browser) { browsed = browser.statusText(); });
    console.findChild<QToolButton *>("ToolButton_ImagensTabelas")->click();
    EXPECT_FALSE(browsed.isEmpty());
    EXPECT_EQ(status2->panelText(0), "Recno 1/1");
    QDesktopServices::unsetUrlHandler("file");
}

TEST(FBConsoleWindow, ScriptsAreSavedWithACopyOfTheLastAndFailuresAreTold) {
    test::TempDir dir;
    test::TestDatabase fdb(dir.file("Scripts.fdb"));
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped(&dialogs);
    TfFBConsole console;
    console.Prepare(fdb.get(), QString(), false, QString());
    auto *save = console.findChild<QToolButton *>("ToolButton_SaveScript");
    const QString file = dir.file("lista.sql");
    for (const char *text : {"select 1 from rdb$database", "select 2 from rdb$database"}) {
        console.editor()->setPlainText(text);
        dialogs.answerText(file);
        save->click();
    }
    EXPECT_EQ(dir.read("lista.bkp"), "select 1 from rdb$database");
    console.editor()->clear();
    dialogs.answerText(file);
    console.findChild<QToolButton *>("ToolButton_LoadScript")->click();
    EXPECT_EQ(console.editor()->toPlainText(), "select 2 from rdb$database");

    dialogs.clear();
    dialogs.answerText(dir.file("falta/lista.sql"));
    save->click();
    dialogs.answerText(dir.file("falta/outra.sql"));
    console.findChild<QToolButton *>("ToolButton_LoadScript")->click();
    ASSERT_EQ(dialogs.shown().size(), 4); // each file dialog and its message
    EXPECT_TRUE(dialogs.shown()[1].text.startsWith("Não foi possível salvar o script "));
    EXPECT_TRUE(dialogs.shown()[3].text.startsWith("Não foi possível abrir o script "));
    EXPECT_EQ(console.editor()->toPlainText(), "select 2 from rdb$database");
}

TEST(FBConsoleWindow, AScriptIsLoadedInItsOwnEncoding) {
    test::TempDir dir;
    test::TestDatabase fdb(dir.file("Encodings.fdb"));
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped(&dialogs);
    TfFBConsole console;
    console.Prepare(fdb.get(), QString(), false, QString());
    const struct {
        const char *what;
        QByteArray bytes;
    } cases[] = {
        {"UTF-8", "select 'a\xC3\xA7\xC3\xA3o' from rdb$database"},
        {"UTF-8 with its mark", "\xEF\xBB\xBFselect 'a\xC3\xA7\xC3\xA3o' from rdb$database"},
        {"Windows-1252", "select 'a\xE7\xE3o' from rdb$database"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QFile f(dir.file("script.sql"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.bytes);
        f.close();
        dialogs.answerText(f.fileName());
        console.findChild<QToolButton *>("ToolButton_LoadScript")->click();
        EXPECT_EQ(console.editor()->toPlainText(), QString("select 'ação' from rdb$database"));
    }
}

// On a 1280-pixel screen the catalogue grids show every column and its title
// whole: the trigger's table beside its name.
TEST(FBConsoleWindow, TheCatalogueGridsShowTheirColumnsWhole) {
    test::TempDir dir;
    test::TestDatabase fdb(dir.file("Triggers.fdb"));
    for (const char *ddl : {"create table PECAS (ID integer, NOME varchar(9))",
                            "create trigger PECAS_BI for PECAS before insert as begin end"}) {
        db::ExecSQL(fdb.get(), ddl);
        fdb->defaultTransaction()->commitRetaining();
    }
    TfFBConsole console;
    console.Prepare(fdb.get(), QString(), false, QString());
    console.resize(1280, 765);
    console.show();
    for (int page :
         {TfFBConsole::ProceduresPage, TfFBConsole::TriggersPage, TfFBConsole::ViewsPage}) {
        console.pages()->setCurrentIndex(page);
        QApplication::processEvents();
        auto *grid = console.pages()->widget(page)->findChild<widgets::DBGrid *>();
        ASSERT_NE(grid, nullptr) << page;
        const int last = grid->model()->columnCount() - 1;
        EXPECT_LE(grid->columnViewportPosition(last) + grid->columnWidth(last),
                  grid->viewport()->width())
            << page;
        for (int c = 0; c <= last; ++c)
            EXPECT_GE(grid->columnWidth(c), grid->horizontalHeader()->sectionSizeHint(c))
                << page << " column " << c;
    }
    auto *triggers =
        console.pages()->widget(TfFBConsole::TriggersPage)->findChild<widgets::DBGrid *>();
    ASSERT_EQ(triggers->model()->rowCount(), 1);
    EXPECT_EQ(triggers->model()->index(0, 1).data().toString().trimmed(), "PECAS");
}
