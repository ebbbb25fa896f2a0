#include "tools/consolesession.h"

#include "db/dataroutines.h"
#include "db/metadata.h"
#include "support/firebird.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

using namespace bkp;
using namespace bkp::tools;

namespace {

class ConsoleSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        fdb = std::make_unique<test::TestDatabase>(dir.file("session.fdb"));
        db::ExecSQL(fdb->get(), "create table PECAS (ID integer not null primary key, "
                                "NOME varchar(20))");
        db::ExecSQL(fdb->get(), "create table VELHA (X integer)");
        fdb->get()->defaultTransaction()->commitRetaining();
        db::ExecSQL(fdb->get(), "insert into PECAS values (1, 'Parafuso')");
        db::ExecSQL(fdb->get(), "insert into PECAS values (2, 'Porca')");
        fdb->get()->defaultTransaction()->commitRetaining();
    }
    QString lastMessage() const {
        return dialogs.shown().isEmpty() ? QString() : dialogs.shown().last().text;
    }
    test::TempDir dir;
    std::unique_ptr<test::TestDatabase> fdb;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped{&dialogs};
};

} // namespace

TEST_F(ConsoleSessionTest, StatementsRunByTheKeywordRule) {
    ConsoleSession s(fdb->get(), false);
    const struct {
        const char *text;
        bool throws, grid, pending, reconnected;
        int history;
    } cases[] = {
        {"   ", true, false, false, false, 0},                    // blanks: the server's error
        {"  select * from PECAS", false, false, false, false, 1}, // a command, no grid
        {"select * from PECAS", false, true, false, false, 2},    // a result in the grid
        {"delete from PECAS where ID = 2", false, false, true, false, 3}, // pending, no reload
        {"drop table VELHA", false, false, true, true, 4},                // reconnects
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        ConsoleSession::RunResult r;
        if (c.throws) {
            EXPECT_THROW(s.run(c.text), db::DatabaseError);
        } else {
            r = s.run(c.text);
            EXPECT_TRUE(r.ran);
        }
        EXPECT_EQ(s.query().active(), c.grid);
        EXPECT_EQ(s.pending(), c.pending);
        EXPECT_EQ(r.reconnected, c.reconnected);
        EXPECT_EQ(s.history().entries().size(), c.history);
    }
    EXPECT_EQ(lastMessage(), "Operação concluída.\rTotal de registrados atualizados: 0");
    EXPECT_FALSE(db::Metadata(fdb->get()).tableExists("VELHA"));
    EXPECT_TRUE(s.rowsAffectedText().startsWith("Time query: "));
    EXPECT_TRUE(s.rowsAffectedText().endsWith(QString::fromUtf8(" ¦ Rows Affected: 0")));
    s.run("");
    EXPECT_EQ(lastMessage(), "Nenhuma instrução SQL informada para execução.");
}

TEST_F(ConsoleSessionTest, ReadOnlyRefusesChangesButStillSelects) {
    ConsoleSession s(fdb->get(), true);
    EXPECT_FALSE(s.run("delete from PECAS").ran);
    EXPECT_TRUE(lastMessage().startsWith("FBConsole aberto em modo somente-consulta"));
    EXPECT_TRUE(s.run("select * from PECAS").ran);
    EXPECT_EQ(s.history().entries(), QStringList({"select * from PECAS"}));
}

TEST_F(ConsoleSessionTest, AKeyedResultIsEditedAndKeptOnlyByCommit) {
    ConsoleSession s(fdb->get(), false);
    s.run("select * from PECAS");
    EXPECT_FALSE(s.query().canModify());

    s.keys().setValue("PECAS", "id");
    s.query().close();
    s.prepareEditing();
    s.query().open();
    ASSERT_TRUE(s.query().canModify());
    EXPECT_EQ(s.updateSQL().modifySQL.last(), "ID=:OLD_ID");
    s.query().edit();
    s.query().fieldByName("NOME")->setValue(QString("Arruela"));
    s.query().post();
    s.rollback();
    auto names = [&] {
        QStringList out;
        for (const auto &r : db::selectRows(fdb->get(), fdb->get()->defaultTransaction(),
                                            "select NOME from PECAS order by ID"))
            out << r[0].toString();
        return out;
    };
    EXPECT_EQ(names(), QStringList({"Parafuso", "Porca"}));
    s.query().refresh();
    s.query().edit();
    s.query().fieldByName("NOME")->setValue(QString("Arruela"));
    s.query().post();
    s.commit();
    EXPECT_EQ(names(), QStringList({"Arruela", "Porca"}));

    // An empty key makes the result read-only again.
    s.keys().setValue("PECAS", "");
    s.query().close();
    s.prepareEditing();
    s.query().open();
    EXPECT_FALSE(s.query().canModify());
}
