#include "db/dataroutines.h"
#include "db/metadata.h"
#include "db/query.h"
#include "db/statement.h"
#include "db/table.h"
#include "support/firebird.h"
#include "support/tempdir.h"

#include <csignal>
#include <gtest/gtest.h>

using namespace bkp;
using namespace bkp::db;

namespace {

class QueryTest : public ::testing::Test {
protected:
    void SetUp() override {
        fdb = std::make_unique<test::TestDatabase>(dir.file("q.fdb"));
        ExecSQL(db(), "create table T (ID integer not null primary key, NAME varchar(10), "
                      "D date, H time, TS timestamp, N numeric(9,2), F double precision, "
                      "B bigint, M blob sub_type 1, S smallint)");
        db()->defaultTransaction()->commitRetaining();
    }
    Database *db() const { return fdb->get(); }
    void query(Query &q, const QString &sql) {
        q.setDatabase(db());
        q.setSqlText(sql);
    }
    test::TempDir dir;
    std::unique_ptr<test::TestDatabase> fdb;
};

} // namespace

TEST(ParamParsing, NamesBecomeMarksOutsideQuotesAndComments) {
    ParsedSql p =
        parseParams("update T set A = :A, B=':not' /* :no */ -- :none\nwhere ID = :OLD_ID");
    EXPECT_EQ(p.names, QStringList({"A", "OLD_ID"}));
    EXPECT_EQ(p.sql, "update T set A = ?, B=':not' /* :no */ -- :none\nwhere ID = ?");
    EXPECT_EQ(parseParams("select 'it''s :x' from T").names.size(), 0);
}

TEST_F(QueryTest, ValuesOfEveryKindTravelBothWays) {
    Query ins;
    query(ins, "insert into T (ID, NAME, D, H, TS, N, F, B, M, S) values "
               "(:ID, :NAME, :D, :H, :TS, :N, :F, :B, :M, :S)");
    ins.paramByName("ID").setValue(1);
    ins.paramByName("NAME").setValue(QString("O'Brien ç"));
    ins.paramByName("D").setValue(QDate(2026, 12, 8));
    ins.paramByName("H").setValue(QTime(9, 5, 30));
    ins.paramByName("TS").setValue(QDateTime(QDate(2027, 1, 1), QTime(23, 59, 58, 120)));
    ins.paramByName("N").setValue(12.34);
    ins.paramByName("F").setValue(0.1);
    ins.paramByName("B").setValue(qlonglong(1) << 40);
    ins.paramByName("M").setValue(QString(70000, QChar('x')));
    ins.paramByName("S").setValue(-1);
    ins.execSQL();
    EXPECT_EQ(ins.rowsAffected(), 1);
    ins.paramByName("ID").setValue(2);
    for (const char *n : {"NAME", "D", "H", "TS", "N", "F", "B", "M", "S"})
        ins.paramByName(n).clear();
    ins.execSQL();

    Query q;
    query(q, "select * from T order by ID");
    q.open();
    ASSERT_EQ(q.recordCount(), 2);
    EXPECT_EQ(q.fieldByName("NAME")->asString(), QString("O'Brien ç"));
    EXPECT_EQ(q.fieldByName("NAME")->dataType(), FieldType::String);
    EXPECT_EQ(q.fieldByName("NAME")->size(), 10);
    EXPECT_EQ(q.fieldByName("NAME")->origin(), "T.NAME");
    EXPECT_TRUE(q.fieldByName("ID")->required());
    EXPECT_FALSE(q.fieldByName("NAME")->required());
    EXPECT_EQ(q.fieldByName("D")->value().toDate(), QDate(2026, 12, 8));
    EXPECT_EQ(q.fieldByName("D")->asDateTime(), EncodeDate(2026, 12, 8));
    EXPECT_EQ(q.fieldByName("H")->value().toTime(), QTime(9, 5, 30));
    EXPECT_EQ(q.fieldByName("TS")->value().toDateTime(),
              QDateTime(QDate(2027, 1, 1), QTime(23, 59, 58, 120)));
    EXPECT_EQ(q.fieldByName("TS")->dataType(), FieldType::DateTime);
    EXPECT_EQ(q.fieldByName("N")->dataType(), FieldType::BCD);
    EXPECT_DOUBLE_EQ(q.fieldByName("N")->asFloat(), 12.34);
    EXPECT_DOUBLE_EQ(q.fieldByName("F")->asFloat(), 0.1);
    EXPECT_EQ(q.fieldByName("B")->asLargeInt(), qlonglong(1) << 40);
    EXPECT_EQ(q.fieldByName("M")->dataType(), FieldType::Memo);
    EXPECT_EQ(q.fieldByName("M")->asString().size(), 70000);
    EXPECT_EQ(q.fieldByName("M")->displayText(), "(MEMO)");
    EXPECT_EQ(q.fieldByName("S")->dataType(), FieldType::Smallint);
    EXPECT_EQ(q.fieldByName("S")->asInteger(), -1);
    q.next();
    for (const char *n : {"NAME", "D", "H", "TS", "N", "F", "B", "M", "S"})
        EXPECT_TRUE(q.fieldByName(n)->isNull()) << n;
    EXPECT_EQ(q.fieldByName("NAME")->asString(), QString());
    EXPECT_EQ(q.fieldByName("M")->displayText(), "(Memo)");
}

TEST_F(QueryTest, ErrorsCarryTheServersText) {
    Query q;
    query(q, "select * from NO_SUCH_TABLE");
    try {
        q.open();
        FAIL() << "opened an unknown table";
    } catch (const DatabaseError &e) {
        EXPECT_TRUE(e.message().contains("Table unknown")) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains("NO_SUCH_TABLE"));
        EXPECT_FALSE(e.isNetworkError());
    }
    EXPECT_FALSE(q.active());
    EXPECT_THROW(ExecSQL(db(), "insert into T (ID) values (null)"), DatabaseError);
}

TEST_F(QueryTest, PreparedStatementDescribesItsFieldsWithoutRunning) {
    Query q;
    query(q, "Select * from T");
    q.prepare();
    EXPECT_FALSE(q.active());
    EXPECT_EQ(q.fieldNames(), QStringList({"ID", "NAME", "D", "H", "TS", "N", "F", "B", "M", "S"}));
}

TEST_F(QueryTest, EditingThroughUpdateStatementsUsesOldValues) {
    ExecSQL(db(), "insert into T (ID, NAME) values (1, 'ONE')");
    ExecSQL(db(), "insert into T (ID, NAME) values (2, 'TWO')");
    UpdateSQL u;
    u.modifySQL = QStringList{"update T set", "ID = :ID, NAME = :NAME", "where ID = :OLD_ID"};
    u.insertSQL = QStringList{"insert into T (ID, NAME)", "values (:ID, :NAME)"};
    u.deleteSQL = QStringList{"delete from T where ID = :OLD_ID"};
    Query q;
    query(q, "select ID, NAME from T order by ID");
    q.setUpdateObject(&u);
    QStringList events;
    q.beforePost = [&](DataSet &) {
        events << "beforePost";
    };
    QObject::connect(&q, &DataSet::afterPost, [&] { events << "afterPost"; });
    QObject::connect(&q, &DataSet::afterInsert, [&] { events << "afterInsert"; });
    QObject::connect(&q, &DataSet::afterScroll, [&] { events << "afterScroll"; });
    QObject::connect(&q, &DataSet::afterEdit, [&] { events << "afterEdit"; });
    QObject::connect(&q, &DataSet::afterDelete, [&] { events << "afterDelete"; });
    q.open();
    EXPECT_EQ(events, QStringList({"afterScroll"}));
    EXPECT_EQ(q.state(), DataSetState::Browse);

    // The key itself is rewritten: the statement finds the row by its old key.
    q.edit();
    EXPECT_EQ(q.state(), DataSetState::Edit);
    q.fieldByName("ID")->setValue(10);
    // A text longer than its column is refused, never cut: the row stays in editing.
    q.fieldByName("NAME")->setValue(QString("a longer name than ten"));
    try {
        q.post();
        FAIL() << "stored a value too long for its column";
    } catch (const ValueTooLongError &e) {
        EXPECT_EQ(e.field(), "NAME");
        EXPECT_EQ(e.limit(), 10);
        EXPECT_TRUE(e.message().startsWith("O campo NAME aceita no máximo 10 caracteres"))
            << e.message().toStdString();
    }
    EXPECT_EQ(q.state(), DataSetState::Edit);
    EXPECT_EQ(q.fieldByName("NAME")->asString(), "a longer name than ten");
    q.fieldByName("NAME")->setValue(QString("a longer n"));
    EXPECT_EQ(q.fieldByName("ID")->oldValue().toInt(), 1);
    q.post();
    EXPECT_EQ(q.state(), DataSetState::Browse);

    q.cancel(); // nothing to cancel
    q.edit();
    q.fieldByName("NAME")->setValue(QString("CHANGED"));
    q.cancel();
    EXPECT_EQ(q.fieldByName("NAME")->asString(), "a longer n");

    events.clear();
    q.append();
    EXPECT_EQ(q.state(), DataSetState::Insert);
    EXPECT_TRUE(q.fieldByName("ID")->isNull());
    // A required field left empty keeps the row in editing.
    EXPECT_THROW(q.post(), DatabaseError);
    EXPECT_EQ(q.state(), DataSetState::Insert);
    q.fieldByName("ID")->setValue(3);
    q.fieldByName("NAME")->setValue(QString("THREE"));
    q.post();
    EXPECT_EQ(events,
              QStringList({"afterInsert", "afterScroll", "beforePost", "beforePost", "afterPost"}));
    EXPECT_EQ(q.recordCount(), 3);

    q.first();
    q.next();
    EXPECT_EQ(q.fieldByName("ID")->asInteger(), 2);
    q.deleteRecord();
    EXPECT_EQ(q.recordCount(), 2);

    Query check;
    query(check, "select ID, NAME from T order by ID");
    check.open();
    QStringList rows;
    for (; !check.eof(); check.next())
        rows << check.fieldByName("ID")->asString() + "=" + check.fieldByName("NAME")->asString();
    EXPECT_EQ(rows, QStringList({"3=THREE", "10=a longer n"}));
}

TEST_F(QueryTest, NavigationAndBounds) {
    for (int i = 1; i <= 3; ++i)
        ExecSQL(db(), QString("insert into T (ID) values (%1)").arg(i));
    Query q;
    query(q, "select ID from T order by ID");
    int scrolls = 0;
    QObject::connect(&q, &DataSet::afterScroll, [&] { ++scrolls; });
    q.open();
    EXPECT_TRUE(q.bof());
    EXPECT_FALSE(q.eof());
    q.prior(); // already on the first row: no scroll
    EXPECT_TRUE(q.bof());
    q.last();
    EXPECT_EQ(q.recNo(), 3);
    q.next();
    EXPECT_TRUE(q.eof());
    EXPECT_EQ(q.fieldByName("ID")->asInteger(), 3);
    EXPECT_TRUE(q.locate("ID", 2));
    EXPECT_EQ(q.recNo(), 2);
    EXPECT_FALSE(q.locate("ID", 9));
    EXPECT_EQ(scrolls, 3); // open, last, locate
    // A walk with the controls disabled is told once, at the end; nested ones too.
    int changes = 0;
    QObject::connect(&q, &DataSet::recordChanged, [&] { ++changes; });
    {
        const ControlsDisabled outer(q);
        const ControlsDisabled inner(q);
        for (q.first(); !q.eof(); q.next()) {
        }
        EXPECT_EQ(changes + scrolls, 3);
    }
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(scrolls, 4);
    {
        const ControlsDisabled still(q); // nothing moved: nothing to tell
    }
    EXPECT_EQ(changes + scrolls, 5);
    EXPECT_THROW(q.edit(), DatabaseError); // no update object: read only
    q.close();
    EXPECT_THROW(q.first(), DatabaseError);
}

TEST_F(QueryTest, RetainingCommitsKeepOpenQueriesAlive) {
    Query q;
    query(q, "select ID from T");
    q.open();
    ExecSQL(db(), "insert into T (ID) values (1)");
    db()->defaultTransaction()->commitRetaining();
    EXPECT_TRUE(q.active());
    ExecSQL(db(), "insert into T (ID) values (2)");
    db()->defaultTransaction()->rollbackRetaining();
    EXPECT_TRUE(q.active());
    q.refresh();
    EXPECT_EQ(q.recordCount(), 1);
    // A full commit ends the transaction and closes its data sets.
    db()->defaultTransaction()->commit();
    EXPECT_FALSE(q.active());
    q.open();
    EXPECT_EQ(q.recordCount(), 1);
}

TEST_F(QueryTest, ConflictingUpdateFailsAtOnceWithoutWaiting) {
    ExecSQL(db(), "insert into T (ID, NAME) values (1, 'A')");
    db()->defaultTransaction()->commitRetaining();
    ExecSQL(db(), "update T set NAME = 'B' where ID = 1");

    Transaction other(db());
    other.setParams({"read_committed", "rec_version", "nowait"});
    Query q;
    q.setDatabase(db());
    q.setTransaction(&other);
    q.setSqlText("update T set NAME = 'C' where ID = 1");
    try {
        q.execSQL();
        FAIL() << "no lock conflict";
    } catch (const DatabaseError &e) {
        EXPECT_TRUE(e.message().contains("conflict", Qt::CaseInsensitive))
            << e.message().toStdString();
    }
    other.rollback();
}

TEST_F(QueryTest, WholeTableIsEditableByItsPrimaryKey) {
    ExecSQL(db(), "insert into T (ID, NAME) values (1, 'A')");
    Table t;
    t.setDatabase(db());
    t.setTableName("T");
    EXPECT_TRUE(t.exists());
    t.open();
    EXPECT_TRUE(t.canModify());
    t.edit();
    t.fieldByName("NAME")->setAsString("Z");
    t.post();
    t.append();
    t.fieldByName("ID")->setAsInteger(2);
    t.post();
    t.refresh();
    EXPECT_EQ(t.recordCount(), 2);
    EXPECT_TRUE(t.locate("ID", 1));
    EXPECT_EQ(t.fieldByName("NAME")->asString(), "Z");
    t.setReadOnly(true);
    EXPECT_THROW(t.edit(), DatabaseError);

    Table missing;
    missing.setDatabase(db());
    missing.setTableName("NOPE");
    EXPECT_FALSE(missing.exists());
}

TEST_F(QueryTest, CatalogueQueriesReadBlobText) {
    ExecSQL(db(), "create view V_T as select ID from T");
    db()->defaultTransaction()->commitRetaining();
    Query q;
    query(
        q,
        "SELECT * FROM RDB$RELATIONS\nWHERE NOT RDB$VIEW_BLR IS NULL\norder by RDB$RELATION_NAME");
    q.open();
    ASSERT_EQ(q.recordCount(), 1);
    EXPECT_EQ(q.fieldByName("RDB$RELATION_NAME")->asString().trimmed(), "V_T");
    EXPECT_EQ(q.fieldByName("RDB$VIEW_SOURCE")->dataType(), FieldType::Memo);
    EXPECT_TRUE(q.fieldByName("RDB$VIEW_SOURCE")->asString().contains("select ID from T"));
    EXPECT_EQ(Metadata(db()).tables(), QStringList({"T"}));
}

TEST_F(QueryTest, DataRoutines) {
    Table t;
    t.setDatabase(db());
    t.setTableName("T");
    t.open();
    // An empty table gives key 1; only an inserted row gets one.
    t.append();
    NextID(&t, t.fieldByName("ID"));
    EXPECT_EQ(t.fieldByName("ID")->asInteger(), 1);
    DefaultIfNull(t.fieldByName("NAME"), QString("DEF"));
    DefaultIfNull(t.fieldByName("ID"), 99);
    EXPECT_EQ(t.fieldByName("ID")->asInteger(), 1);
    EXPECT_EQ(t.fieldByName("NAME")->asString(), "DEF");
    t.post();
    t.append();
    NextID(&t, t.fieldByName("ID"));
    EXPECT_EQ(t.fieldByName("ID")->asInteger(), 2);
    t.post();
    t.edit();
    t.fieldByName("ID")->setValue(7);
    NextID(&t, t.fieldByName("ID"));
    EXPECT_EQ(t.fieldByName("ID")->asInteger(), 7);
    t.cancel();
    db()->defaultTransaction()->commitRetaining();

    // ExecSQL leaves the commit to its caller.
    EXPECT_TRUE(ExecSQL(db(), "delete from T"));
    db()->defaultTransaction()->rollbackRetaining();
    Query q;
    query(q, "select count(*) from T");
    ReopenQuery(&q, true, true);
    EXPECT_EQ(q.field(0)->asInteger(), 2);
}

namespace {
void keepSignal(int) {}
} // namespace

// The client library's own handlers would end the connections on SIGTERM behind the
// program's back: creating and opening a database leaves the process's handlers.
TEST(Connection, LeavesTheProcesssSignalHandlersAsTheyWere) {
    struct sigaction mine = {};
    mine.sa_handler = keepSignal;
    sigemptyset(&mine.sa_mask);
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        sigaction(s, &mine, nullptr);
    test::TempDir dir;
    { test::TestDatabase created(dir.file("s.fdb")); }
    test::TestDatabase opened(dir.file("s.fdb"), false);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction now = {};
        sigaction(s, nullptr, &now);
        EXPECT_EQ(now.sa_handler, &keepSignal) << s;
        signal(s, SIG_DFL);
    }
}

TEST(ServerQuery, TheSameDataLayerWorksThroughTheServer) {
    ASSERT_TRUE(test::serverAnswers()) << "the tests start a Firebird server on 3050";
    test::TempDir dir;
    test::TestDatabase fdb("127.0.0.1:" + dir.file("server.fdb"));
    Database *d = fdb.get();
    ExecSQL(d, "create table T (ID integer not null primary key, NAME varchar(20), D date)");
    d->defaultTransaction()->commitRetaining();
    UpdateSQL u;
    u.insertSQL = QStringList{"insert into T (ID, NAME, D) values (:ID, :NAME, :D)"};
    u.modifySQL = QStringList{"update T set NAME = :NAME where ID = :OLD_ID"};
    Query q;
    q.setDatabase(d);
    q.setSqlText("select * from T");
    q.setUpdateObject(&u);
    q.open();
    q.append();
    q.fieldByName("ID")->setValue(1);
    q.fieldByName("NAME")->setValue(QString("it's"));
    q.fieldByName("D")->setAsDateTime(EncodeDate(2026, 12, 8));
    q.post();
    d->defaultTransaction()->commitRetaining();
    EXPECT_TRUE(q.active());
    q.refresh();
    ASSERT_EQ(q.recordCount(), 1);
    EXPECT_EQ(q.fieldByName("NAME")->asString(), "it's");
    EXPECT_EQ(q.fieldByName("D")->value().toDate(), QDate(2026, 12, 8));
    EXPECT_TRUE(QFile::exists(dir.file("server.fdb")));
}

TEST(ServerQuery, NoServerAtAnAddressIsANetworkError) {
    test::TempDir dir;
    try {
        test::TestDatabase fdb("127.0.0.2:" + dir.file("none.fdb"), false);
        FAIL() << "attached with no server";
    } catch (const DatabaseError &e) {
        EXPECT_TRUE(e.isNetworkError()) << e.message().toStdString();
    }
}

TEST_F(QueryTest, ClosingOrDestroyingTheConnectionLeavesItsDataSetsAndStatementsSafe) {
    ExecSQL(db(), "insert into T (ID, NAME) values (1, 'A')");
    db()->defaultTransaction()->commitRetaining();
    auto q = std::make_unique<Query>();
    query(*q, "select ID, NAME from T");
    q->open();
    auto st = std::make_unique<Statement>(db(), db()->defaultTransaction());
    st->prepare("select ID from T");
    st->open({});

    // Closing: everything on the connection is closed with it, and opens again.
    db()->close();
    EXPECT_FALSE(q->active());
    EXPECT_FALSE(st->prepared());
    QVector<QVariant> row;
    EXPECT_FALSE(st->fetch(row));
    db()->open();
    q->open();
    EXPECT_EQ(q->recordCount(), 1);
    st->prepare("select ID from T");

    // Destroyed in the wrong order: the connection, then its transaction, then the
    // data set and the statement, which are told and fail cleanly in between.
    std::unique_ptr<Transaction> transaction = std::move(fdb->transaction);
    fdb->database.reset();
    EXPECT_FALSE(q->active());
    EXPECT_EQ(q->database(), nullptr);
    EXPECT_FALSE(st->prepared());
    EXPECT_THROW(q->open(), DatabaseError);
    EXPECT_THROW(st->prepare("select ID from T"), DatabaseError);
    transaction.reset();
    EXPECT_EQ(q->transaction(), nullptr);
    q.reset();
    st.reset();
}
