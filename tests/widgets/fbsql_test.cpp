#include "db/dataroutines.h"
#include "db/statement.h"
#include "db/table.h"
#include "lib/datetime.h"
#include "platform/dialogs.h"
#include "support/firebird.h"
#include "support/modal.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"
#include "widgets/fbsql.h"
#include "widgets/rascunho.h"
#include "widgets/statusbar.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace bkp;
using namespace bkp::widgets;

namespace {

void whenViewerOpens(const std::function<void(TfRascunho &)> &look) {
    test::whenModalOpens<TfRascunho>(look);
}

TEST(TextViewerTest, ShowsTheLinesReadOnlyWithTheCaretInItsStatusBar) {
    QStringList shown;
    QString atStart, atThirdLine, title;
    bool maximised = false, readOnly = false;
    QPointer<TfRascunho> opened;
    whenViewerOpens([&](TfRascunho &v) {
        opened = &v;
        shown = v.TextFile->toPlainText().split('\n');
        atStart = v.StatusBar->panelText(0);
        QTextCursor caret = v.TextFile->textCursor();
        caret.setPosition(v.TextFile->document()->findBlockByNumber(2).position() + 5);
        v.TextFile->setTextCursor(caret);
        atThirdLine = v.StatusBar->panelText(0);
        title = v.windowTitle();
        maximised = v.isMaximized();
        readOnly = v.TextFile->isReadOnly() && !v.Texto->isVisible();
        EXPECT_EQ(v.minimumSize(), QSize(640, 400));
        EXPECT_EQ(v.StatusBar->panel(0)->width(), 120);
    });
    ShowLines({"Update BACKUPS", "Set", "FTP_HOST=:FTP_HOST", "Where 1>0"});
    EXPECT_EQ(shown, QStringList({"Update BACKUPS", "Set", "FTP_HOST=:FTP_HOST", "Where 1>0"}));
    EXPECT_EQ(atStart, "   1:0");
    EXPECT_EQ(atThirdLine, "   3:5");
    EXPECT_TRUE(title.isEmpty());
    EXPECT_TRUE(maximised);
    EXPECT_TRUE(readOnly);
    EXPECT_TRUE(opened.isNull()); // gone once the call returned

    TfRascunho fresh;
    EXPECT_EQ(fresh.windowTitle(), "Rascunho");
    EXPECT_TRUE(fresh.TextFile->isHidden() && fresh.StatusBar->isHidden());
}

class StatementBuilderTest : public ::testing::Test {
protected:
    void SetUp() override {
        fdb = std::make_unique<test::TestDatabase>(dir.file("b.fdb"));
        ASSERT_TRUE(db::ExecSQL(fdb->get(), "create table JOBS (ID integer not null primary key, "
                                            "HOST varchar(50), PASS varchar(8), D date)"));
        fdb->transaction->commitRetaining();
        for (int id = 1; id <= 5; ++id)
            db::ExecSQL(
                fdb->get(),
                QStringLiteral("insert into JOBS values (%1, 'h', 'p', '2026-12-08')").arg(id));
        fdb->transaction->commitRetaining();
        table.setDatabase(fdb->get());
        table.setTableName("JOBS");
    }

    QList<QVector<QVariant>> rows() {
        return db::selectRows(fdb->get(), fdb->transaction.get(),
                              "select HOST, PASS, D from JOBS order by ID");
    }

    test::TempDir dir;
    std::unique_ptr<test::TestDatabase> fdb;
    db::Table table;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs dialogsScope{&dialogs};
};

TEST_F(StatementBuilderTest, UpdatesEveryRowTheConditionMeetsByPosition) {
    TFBSQL sql;
    sql.Database = fdb->get();
    sql.Table = &table;
    sql.TableName = "OTHER"; // the component's name wins
    sql.Add("HOST", "ftp.example.com");
    sql.Add("IGNORED", "x", false);
    sql.Add("PASS", "abc");
    sql.Add("D", QDate(1899, 12, 30)); // the zero date is no date
    EXPECT_EQ(sql.statementLines("1>0"), QStringList({"Update JOBS", "Set", "HOST=:HOST,",
                                                      "PASS=:PASS,", "D=:D", "Where 1>0"}));
    EXPECT_EQ(sql.Update("1>0"), 5);
    EXPECT_TRUE(dialogs.shown().isEmpty());
    for (const QVector<QVariant> &row : rows()) {
        EXPECT_EQ(row[0].toString(), "ftp.example.com");
        EXPECT_EQ(row[1].toString(), "abc");
        EXPECT_TRUE(row[2].isNull());
    }

    TFBSQL byName;
    byName.Database = fdb->get();
    byName.TableName = "JOBS";
    byName.Add("D", QDate(2027, 1, 2));
    EXPECT_EQ(byName.Update("ID=2"), 1);
    EXPECT_EQ(rows()[1][2].toDate(), QDate(2027, 1, 2));
}

TEST_F(StatementBuilderTest, RefusalsRaiseAndDatabaseErrorsAreShownWithTheStatement) {
    TFBSQL sql;
    sql.Database = fdb->get();
    try {
        sql.Update("1>0");
        ADD_FAILURE() << "no table";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(QString::fromUtf8(e.what()),
                  "Informe o nome da tabela para\rpoder executar a operação de update.");
    }
    sql.TableName = "JOBS";
    try {
        sql.Update("");
        ADD_FAILURE() << "no condition";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(QString::fromUtf8(e.what()),
                  "Informe a cláusula WHERE para\rpoder executar a operação de update.");
    }

    struct Case {
        QList<TParametros> pairs;
        QStringList lines;
    } cases[] = {
        {{}, {"Update JOBS", "Set", "Where 1>0"}},
        {{{"PASS", "123456789"}}, {"Update JOBS", "Set", "PASS=:PASS", "Where 1>0"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.lines.join(" ").toStdString());
        TFBSQL failing;
        failing.Database = fdb->get();
        failing.TableName = "JOBS";
        for (const TParametros &p : c.pairs)
            failing.Add(p.fieldName, p.value);
        dialogs.clear();
        QStringList viewed;
        whenViewerOpens([&](TfRascunho &v) { viewed = v.TextFile->toPlainText().split('\n'); });
        EXPECT_EQ(failing.Update("1>0"), 0);
        ASSERT_EQ(dialogs.shown().size(), 1);
        EXPECT_TRUE(dialogs.shown()[0].text.startsWith("Falha ao inserir o registro:\r"));
        EXPECT_GT(dialogs.shown()[0].text.size(), 30);
        EXPECT_EQ(dialogs.shown()[0].flags, platform::MB_OK | platform::MB_ICONINFORMATION);
        EXPECT_EQ(viewed, c.lines);
    }
    EXPECT_EQ(rows()[0][1].toString(), "p");
}

} // namespace
