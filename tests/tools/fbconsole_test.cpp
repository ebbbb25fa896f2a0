#include "tools/fbconsole.h"

#include "db/dataroutines.h"
#include "support/firebird.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"
#include "widgets/dbgrid.h"

#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace bkp;
using namespace bkp::tools;

TEST(FBConsoleWindow, RunsTheEditorsSelectAndAsksAboutPendingChangesOnClose) {
    test::TempDir dir;
    test::TestDatabase fdb(dir.file("Console.fdb"));
    db::ExecSQL(fdb.get(), "create table PECAS (ID integer not null primary key, NOME varchar(9))");
    db::ExecSQL(fdb.get(), "create table ALFA (X integer)");
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

    console.editor()->setPlainText("select * from PECAS");
    console.findChild<QToolButton *>("ToolButton_SQL")->click();
    EXPECT_TRUE(console.session()->query().active());
    EXPECT_EQ(console.resultGrid()->model()->rowCount(), 1);
    EXPECT_TRUE(console.editor()->toPlainText().isEmpty());
    EXPECT_EQ(console.historyMenu()->actions().size(), 1);
    EXPECT_EQ(console.keyCombo()->count(), 3); // ID, NOME and the empty item
    console.findChild<QToolButton *>("ToolButton_Anterior")->click();
    EXPECT_EQ(console.editor()->toPlainText(), "select * from PECAS");

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
