#include "tools/fbconsole.h"

#include "db/dataroutines.h"
#include "support/firebird.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"

#include <QPlainTextEdit>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace bkp;
using namespace bkp::tools;

namespace {

// A console over a database served on loopback, so isql-fb reads what reached the
// file while the console still holds its connection.
class ConsoleWork : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::serverAnswers())
            GTEST_SKIP() << "no Firebird server on 127.0.0.1:3050";
        path = dir.file("work.fdb");
        fdb = std::make_unique<test::TestDatabase>("127.0.0.1:" + path);
        for (const char *sql :
             {"create table PECAS (ID integer not null primary key, NOME varchar(20), "
              "PRECO numeric(12,2), DIA date, HORA time, C integer)",
              "create table VELHA (X integer)",
              "insert into PECAS values (1, 'Parafuso', 2.5, '2024-01-02', '08:00', 7)",
              "insert into PECAS values (2, 'Porca', 1, '2024-01-03', '09:00', 7)"}) {
            db::ExecSQL(fdb->get(), sql);
            fdb->get()->defaultTransaction()->commitRetaining();
        }
        console = std::make_unique<TfFBConsole>();
        console->Prepare(fdb->get(), QString(), false, QString());
    }
    void TearDown() override { console.reset(); }
    QToolButton *button(const char *name) { return console->findChild<QToolButton *>(name); }
    // Types the statement and presses "SQL".
    void run(const QString &text) {
        console->editor()->setPlainText(text);
        button("ToolButton_SQL")->click();
    }
    QString isql(const QString &commands) { return test::isql(path, commands); }
    QStringList messages() const {
        QStringList out;
        for (const auto &m : dialogs.shown())
            out << m.text;
        return out;
    }

    test::TempDir dir;
    QString path;
    std::unique_ptr<test::TestDatabase> fdb;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped{&dialogs};
    std::unique_ptr<TfFBConsole> console;
};

} // namespace

TEST_F(ConsoleWork, AStructureChangeTheServerRefusesAtItsCommitKeepsThePendingWork) {
    const struct {
        const char *statement, *message, *stillThere;
        bool otherConnection; // holds VELHA open
    } cases[] = {
        {"create unique index UX on PECAS (C)", "duplicate", "show index PECAS", false},
        {"drop table VELHA", "in use", "show table VELHA", true},
    };
    int id = 10;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.statement);
        test::TestDatabase other("127.0.0.1:" + path, false);
        db::Query holding;
        if (c.otherConnection) {
            holding.setDatabase(other.get());
            holding.setSqlText("select * from VELHA");
            holding.open();
        }
        const QString insert = QString("insert into PECAS (ID, NOME) values (%1, 'Nova')").arg(id);
        run(insert);
        ASSERT_TRUE(console->session()->pending());
        const int history = int(console->session()->history().entries().size());
        dialogs.clear();
        try {
            run(c.statement);
            ADD_FAILURE() << "the refused commit was not reported";
        } catch (const db::DatabaseError &e) {
            EXPECT_TRUE(e.message().contains(c.message)) << e.message().toStdString();
        }
        EXPECT_FALSE(messages().join('|').contains("Operação concluída"))
            << messages().join("|").toStdString();
        EXPECT_EQ(console->editor()->toPlainText(), c.statement);
        EXPECT_EQ(console->session()->history().entries().size(), history);
        EXPECT_TRUE(console->session()->pending());
        EXPECT_TRUE(fdb->get()->connected());
        holding.close();
        other.database->close();

        button("ToolButton_Commit")->click();
        EXPECT_FALSE(console->session()->pending());
        const QString stored = isql(QString("select 'found', count(*) from PECAS where ID = %1;\n"
                                            "%2;")
                                        .arg(id)
                                        .arg(c.stillThere));
        EXPECT_TRUE(stored.simplified().contains("found 1")) << stored.toStdString();
        EXPECT_FALSE(stored.contains("UX")) << stored.toStdString();
        EXPECT_FALSE(stored.contains("no table")) << stored.toStdString();
        ++id;
    }
    // Accepted, the change is told only after its commit went through.
    dialogs.clear();
    run("create index IX on PECAS (C)");
    EXPECT_EQ(messages(), QStringList{"Operação concluída.\rTotal de registrados atualizados: 0"});
    EXPECT_TRUE(isql("show index PECAS;").contains("IX"));
}
