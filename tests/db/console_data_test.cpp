// The data layer as the SQL console uses it: any database, any statement, the
// catalogue, generated edit statements, exact numbers and other character sets.
#include "db/dataroutines.h"
#include "db/decimal.h"
#include "db/editstatements.h"
#include "db/identifiers.h"
#include "db/metadata.h"
#include "db/query.h"
#include "db/statement.h"
#include "support/firebird.h"
#include "support/tempdir.h"

#include <QProcess>
#include <gtest/gtest.h>

using namespace bkp;
using namespace bkp::db;
using namespace bkp::jobdb;

namespace {

// A database through the server (so isql-fb can read it at the same time) holding
// two tables, one whose name needs quotes, a view, a trigger, a procedure and a
// generator.
class ConsoleDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::serverAnswers())
            GTEST_SKIP() << "no Firebird server on 127.0.0.1:3050";
        path = dir.file("console.fdb");
        fdb = std::make_unique<test::TestDatabase>("127.0.0.1:" + path);
        for (const char *ddl :
             {"create table PEOPLE (ID integer not null primary key, NAME varchar(30), "
              "PRICE numeric(18,4), CITY varchar(20))",
              "create table \"my table\" (\"a b\" integer, \"Lower\" varchar(5))",
              "create generator GEN_PEOPLE",
              "create view V_CITIES (CITY, TOTAL) as select CITY, count(*) from PEOPLE "
              "group by CITY",
              "create trigger PEOPLE_BI for PEOPLE active before insert position 0 as "
              "begin if (new.ID is null) then new.ID = gen_id(GEN_PEOPLE, 1); end",
              "create procedure DOUBLED (X integer) returns (Y integer) as "
              "begin Y = X * 2; suspend; end"}) {
            ExecSQL(db(), ddl);
            db()->defaultTransaction()->commitRetaining();
        }
    }
    Database *db() const { return fdb->get(); }
    // What isql-fb prints for one SHOW command on the same database.
    QString isql(const QString &command) {
        QProcess p;
        p.start("isql-fb",
                {"-q", "-user", "SYSDBA", "-password", AdminPassword, "127.0.0.1:" + path});
        p.write((command + ";\n").toUtf8());
        p.closeWriteChannel();
        EXPECT_TRUE(p.waitForFinished(30000));
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    test::TempDir dir;
    QString path;
    std::unique_ptr<test::TestDatabase> fdb;
};

QStringList words(const QString &text) {
    return text.simplified().split(' ', Qt::SkipEmptyParts);
}

} // namespace

TEST_F(ConsoleDataTest, TheCatalogueReadsAsIsqlShowsIt) {
    Metadata md(db());
    EXPECT_EQ(md.tables(), QStringList({"PEOPLE", "my table"}));
    const QString shownTables = isql("show tables");
    for (const QString &t : md.tables())
        EXPECT_TRUE(shownTables.contains(t)) << t.toStdString();
    EXPECT_TRUE(md.tables(true).contains("RDB$RELATIONS"));
    EXPECT_TRUE(md.tableExists("my table"));
    EXPECT_TRUE(md.tableExists("people"));

    QList<ViewInfo> views = md.views();
    ASSERT_EQ(views.size(), 1);
    EXPECT_EQ(views[0].columns, QStringList({"CITY", "TOTAL"}));
    const QString shownView = isql("show view V_CITIES");
    EXPECT_TRUE(words(shownView).join(' ').contains(words(views[0].source).join(' ')))
        << shownView.toStdString();

    QList<ProcedureInfo> procs = md.procedures();
    ASSERT_EQ(procs.size(), 1);
    EXPECT_EQ(procs[0].inputs(), QStringList({"X"}));
    EXPECT_EQ(procs[0].outputs(), QStringList({"Y"}));
    const QString shownProc = isql("show procedure DOUBLED");
    EXPECT_TRUE(words(shownProc).join(' ').contains(words(procs[0].source).join(' ')));
    EXPECT_TRUE(isql("show procedures").contains("DOUBLED"));

    QList<TriggerInfo> triggers = md.triggers();
    ASSERT_EQ(triggers.size(), 1);
    EXPECT_EQ(triggers[0].table, "PEOPLE");
    EXPECT_EQ(triggers[0].kindText(), "BEFORE INSERT");
    const QString shownTrigger = isql("show trigger PEOPLE_BI");
    EXPECT_TRUE(shownTrigger.contains("BEFORE INSERT")) << shownTrigger.toStdString();
    EXPECT_TRUE(words(shownTrigger).join(' ').contains(words(triggers[0].source).join(' ')));

    EXPECT_EQ(md.generators(), QStringList({"GEN_PEOPLE"}));
    EXPECT_TRUE(isql("show generators").contains("GEN_PEOPLE"));
    EXPECT_EQ(md.primaryKey("PEOPLE"), QStringList({"ID"}));
    ASSERT_EQ(md.columns("my table").size(), 2);
    EXPECT_EQ(md.columns("my table")[1].name, "Lower");
}

TEST(Identifiers, QuotedWhereSqlNeedsIt) {
    const struct {
        const char *name, *sql;
    } cases[] = {{"BACKUPS", "BACKUPS"}, {"my table", "\"my table\""}, {"Lower", "\"Lower\""},
                 {"ORDER", "\"ORDER\""}, {"RDB$FIELDS", "RDB$FIELDS"}, {"1ST", "\"1ST\""},
                 {"A\"B", "\"A\"\"B\""}, {"FTP_HOST", "FTP_HOST"}};
    for (const auto &c : cases)
        EXPECT_EQ(QuoteIdentifier(c.name), c.sql) << c.name;
    EXPECT_EQ(CatalogueName("backups"), "BACKUPS");
    EXPECT_EQ(CatalogueName("\"Lower\""), "Lower");
    EXPECT_EQ(CatalogueName("my table"), "my table");
}

TEST(EditStatements, EachCallerKeepsItsOwnTexts) {
    UpdateSQL job = keyedUpdateSQL("ARQUIVOS", {"ID", "PASTA"});
    EXPECT_EQ(job.refreshSQL,
              QStringList({"Select", "  ID,", "  PASTA", "from ARQUIVOS", "where", "  ID = :ID"}));
    EXPECT_EQ(job.modifySQL, QStringList({"update ARQUIVOS", "set", "  ID = :ID,",
                                          "  PASTA = :PASTA", "where", "  ID = :OLD_ID"}));
    EXPECT_EQ(job.insertSQL,
              QStringList({"insert into ARQUIVOS", "  (ID, PASTA)", "values", "  (:ID, :PASTA)"}));
    EXPECT_EQ(job.deleteSQL, QStringList({"delete from ARQUIVOS", "where", "  ID = :OLD_ID"}));

    UpdateSQL console = GenerateEditStatements("PEOPLE", {"id"}, {"ID", "NAME"}, ConsoleStyle());
    EXPECT_EQ(console.modifySQL, QStringList({"Update PEOPLE", "Set", "ID=:ID,", "NAME=:NAME",
                                              "Where", "ID=:OLD_ID"}));
    EXPECT_EQ(console.insertSQL,
              QStringList({"Insert Into PEOPLE", "(ID,NAME)", "Values", "(:ID,:NAME)"}));
    EXPECT_EQ(console.deleteSQL, QStringList({"Delete from PEOPLE", "Where", "ID=:OLD_ID"}));
    EXPECT_EQ(console.refreshSQL,
              QStringList({"Select", "ID,", "NAME", "from PEOPLE", "Where", "ID=:OLD_ID"}));

    UpdateSQL quoted =
        GenerateEditStatements("\"my table\"", {"a b"}, {"a b", "Lower"}, ConsoleStyle());
    EXPECT_EQ(quoted.deleteSQL.last(), "\"a b\"=:\"Old_a b\"");
    EXPECT_EQ(parseParams(quoted.modifySQL.join('\n')).names,
              QStringList({"a b", "Lower", "Old_a b"}));
}

TEST_F(ConsoleDataTest, AKeyedResultIsEditedThroughGeneratedStatementsKeptOnlyAtCommit) {
    ExecSQL(db(), "insert into PEOPLE (ID, NAME) values (1, 'Ana')");
    ExecSQL(db(), "insert into \"my table\" values (1, 'x')");
    db()->defaultTransaction()->commitRetaining();

    Query q;
    q.setDatabase(db());
    q.setSqlText("select ID, NAME from PEOPLE");
    q.prepare();
    UpdateSQL u = GenerateEditStatements("PEOPLE", {"ID"}, q.fieldNames(), ConsoleStyle());
    q.setUpdateObject(&u);
    q.open();
    q.edit();
    q.fieldByName("NAME")->setValue(QString("Ana Maria"));
    q.post();
    q.append();
    q.fieldByName("ID")->setValue(2);
    q.fieldByName("NAME")->setValue(QString("Bia"));
    q.post();
    q.first();
    q.deleteRecord();

    auto committed = [&] {
        test::TestDatabase other("127.0.0.1:" + path, false);
        QStringList names;
        for (const auto &r : selectRows(other.get(), other.transaction.get(),
                                        "select NAME from PEOPLE order by ID"))
            names << r[0].toString();
        return names;
    };
    EXPECT_EQ(committed(), QStringList({"Ana"}));
    db()->defaultTransaction()->commitRetaining();
    EXPECT_EQ(committed(), QStringList({"Bia"}));

    Query unkeyed;
    unkeyed.setDatabase(db());
    unkeyed.setSqlText("select * from \"my table\"");
    unkeyed.open();
    EXPECT_FALSE(unkeyed.canModify());
    EXPECT_THROW(unkeyed.edit(), DatabaseError);
    EXPECT_EQ(unkeyed.fieldByName("a b")->asInteger(), 1);
}

TEST_F(ConsoleDataTest, StatementsReportTheirKindAndRowsAndAFailureHarmsNothing) {
    Query a, b;
    for (Query *q : {&a, &b}) {
        q->setDatabase(db());
        q->setSqlText("select RDB$RELATION_NAME from RDB$RELATIONS order by 1");
        q->open();
    }
    const struct {
        const char *sql;
        StatementKind kind;
        qint64 rows;
    } cases[] = {
        {"insert into PEOPLE (NAME, CITY) select first 3 RDB$RELATION_NAME, 'X' from RDB$RELATIONS",
         StatementKind::Insert, 3},
        {"update PEOPLE set CITY = 'Y' where CITY = 'X'", StatementKind::Update, 3},
        {"select * from PEOPLE", StatementKind::Select, 0},
        {"select * from PEOPLE for update", StatementKind::SelectForUpdate, 0},
        {"execute procedure DOUBLED 4", StatementKind::ExecProcedure, 0},
        {"set generator GEN_PEOPLE to 10", StatementKind::SetGenerator, 0},
        {"delete from PEOPLE where CITY = 'Y'", StatementKind::Delete, 3},
        {"create table EXTRA (X integer)", StatementKind::DDL, 0},
    };
    for (const auto &c : cases) {
        Query q;
        q.setDatabase(db());
        q.setSqlText(c.sql);
        EXPECT_EQ(q.statementKind(), c.kind) << c.sql;
        q.execSQL();
        EXPECT_EQ(q.rowsAffected(), c.rows) << c.sql;
    }
    Query block; // typed as the operator writes it, the block's own :i included
    block.setDatabase(db());
    block.setParamCheck(false);
    block.setSqlText("execute block as declare i integer = 0; begin while (i < 2) do begin "
                     "insert into PEOPLE (NAME) values ('b' || :i); i = i + 1; end end");
    block.execSQL();
    EXPECT_EQ(block.rowsAffected(), 2);

    Query bad;
    bad.setDatabase(db());
    for (const char *sql : {"insert into PEOPLE (ID) values ('x')", "selct 1", "   "}) {
        bad.setSqlText(sql);
        EXPECT_THROW(bad.execSQL(), DatabaseError) << sql;
    }
    ExecSQL(db(), "insert into PEOPLE (ID, NAME) values (5, 'Eva')");
    EXPECT_THROW(ExecSQL(db(), "insert into PEOPLE (ID) values (5)"), DatabaseError);
    for (Query *q : {&a, &b}) {
        EXPECT_TRUE(q->active());
        q->last();
        EXPECT_GT(q->recordCount(), 10);
    }
    db()->defaultTransaction()->commitRetaining();
    EXPECT_EQ(
        selectRows(db(), db()->defaultTransaction(), "select NAME from PEOPLE where ID = 5")[0][0],
        "Eva");
}

TEST_F(ConsoleDataTest, ExactNumbersAndAnyCharacterSetTravelWhole) {
    Query ins;
    ins.setDatabase(db());
    ins.setSqlText("insert into PEOPLE (ID, PRICE) values (:ID, :PRICE)");
    const QStringList prices = {"12345678901234.5678", "-0.0001", "0.1000",
                                "-922337203685477.5808"};
    for (int i = 0; i < prices.size(); ++i) {
        ins.paramByName("ID").setValue(i + 1);
        std::optional<Decimal> d = Decimal::fromText(prices[i], 4);
        ASSERT_TRUE(d) << prices[i].toStdString();
        ins.paramByName("PRICE").setValue(QVariant::fromValue(*d));
        ins.execSQL();
    }
    Query q;
    q.setDatabase(db());
    q.setSqlText("select PRICE from PEOPLE order by ID");
    q.open();
    QStringList read;
    for (; !q.eof(); q.next())
        read << q.field(0)->value().toString();
    EXPECT_EQ(read, prices);
    EXPECT_EQ(q.field(0)->dataType(), FieldType::BCD);
    q.first();
    EXPECT_EQ(q.field(0)->displayText(), "12.345.678.901.234,5678");
    EXPECT_DOUBLE_EQ(q.field(0)->asFloat(), 12345678901234.5678);

    Database utf8;
    utf8.setDatabaseName("127.0.0.1:" + path);
    utf8.setParams({"user_name=SYSDBA", QString("password=") + AdminPassword});
    utf8.setCharacterSet("UTF8");
    Transaction tr(&utf8);
    utf8.setDefaultTransaction(&tr);
    utf8.open();
    const QString text = QString::fromUtf8("ação ü € ſ Ω");
    Query w;
    w.setDatabase(&utf8);
    ExecSQL(&utf8, "create table U8 (T varchar(20) character set UTF8)");
    tr.commitRetaining();
    w.setSqlText("insert into U8 values (:T)");
    w.paramByName("T").setValue(text);
    w.execSQL();
    tr.commitRetaining();
    EXPECT_EQ(selectRows(&utf8, &tr, "select T from U8")[0][0].toString(), text);
    utf8.close();
}
