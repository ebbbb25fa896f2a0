#include "tools/fbconsole.h"

#include "db/dataroutines.h"
#include "db/statement.h"
#include "platform/windowlookup.h"
#include "support/firebird.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"
#include "widgets/dbgrid.h"

#include <QComboBox>
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
          "create view V_PECAS (NOME) as select NOME from PECAS"}) {
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
