#include "db/dataroutines.h"
#include "jobdb/archiveoutcome.h"
#include "jobdb/datamodule.h"
#include "jobdb/jobqueries.h"
#include "jobdb/schema.h"
#include "support/firebird.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

using namespace bkp;
using namespace bkp::db;
using namespace bkp::jobdb;

namespace {

TDateTime at(int hour, int minute) {
    return EncodeDate(2026, 9, 5) + EncodeTime(hour, minute, 0);
}

class ArchiveOutcomeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::serverAnswers()) << "the tests start a Firebird server on 3050";
        dm.IBDatabase1->setDatabaseName(dir.file("BKPZELTO.FB"));
        MemoryLog log;
        ASSERT_TRUE(OpenDatabaseTables(&dm, QString(), &log));
        for (int id : {1, 2})
            ExecSQL(dm.IBDatabase1, "insert into BACKUPS (ID, BACKUPNAME) values (" +
                                        QString::number(id) + ", 'JOB" + QString::number(id) +
                                        "')");
        dm.IBTransaction1->commitRetaining();
    }
    QVariant committed(int id, const QString &column) {
        test::TestDatabase other(dir.file("BKPZELTO.FB"), false);
        Query q;
        q.setDatabase(other.get());
        q.setSqlText("select " + column + " from BACKUPS where ID=" + QString::number(id));
        q.open();
        return q.field(0)->value();
    }

    test::TempDir dir;
    TDM dm;
};

} // namespace

// The outcome goes through a transaction of its own: work the shared transaction
// holds (the SQL console's, say) is neither committed nor lost by it.
TEST_F(ArchiveOutcomeTest, IsWrittenBesideTheSharedTransactionAndReadBack) {
    ExecSQL(dm.IBDatabase1, "update BACKUPS set BACKUPNAME='PENDENTE' where ID=2");
    ExecOwnTransaction(dm.IBDatabase1, ArchiveStartSql(1, at(10, 0)));
    EXPECT_EQ(committed(1, "BACKUP_LASTSTART").toDateTime(),
              QDateTime(QDate(2026, 9, 5), QTime(10, 0)));
    EXPECT_EQ(committed(2, "BACKUPNAME").toString(), "JOB2");
    dm.IBTransaction1->rollbackRetaining();

    // Read as any workstation reads it: a run not ended well, then each kind of end.
    struct Case {
        bool good;
        QString text;
        bool unfinished;
    };
    const QList<Case> cases = {
        {false, "05/09/2026 10:01:00 - Compactador terminou com código 2", true},
        {true, "05/09/2026 10:02:00 - Compactador terminou com avisos (código 1)", false},
        {true, "", false},
    };
    ExecOwnTransaction(dm.IBDatabase1, ArchiveStartSql(1, at(10, 0)));
    EXPECT_TRUE(ReadArchiveOutcome(dm.IBDatabase1, 1).unfinished());
    for (const Case &c : cases) {
        ExecOwnTransaction(dm.IBDatabase1, ArchiveStartSql(1, at(10, 0)));
        ExecOwnTransaction(dm.IBDatabase1, ArchiveEndSql(1, c.good, at(10, 5), c.text));
        const ArchiveOutcome o = ReadArchiveOutcome(dm.IBDatabase1, 1);
        EXPECT_TRUE(o.known);
        EXPECT_EQ(o.unfinished(), c.unfinished) << c.text.toStdString();
        // The last failure or warning stays after a clean end.
        EXPECT_EQ(o.lastError, c.text.isEmpty() ? cases[1].text : c.text);
    }
    // A job that never ran under this program is not held back.
    EXPECT_FALSE(ReadArchiveOutcome(dm.IBDatabase1, 2).unfinished());
    EXPECT_FALSE(ReadArchiveOutcome(dm.IBDatabase1, 99).known);
}

TEST_F(ArchiveOutcomeTest, TheErrorTextFitsItsColumnAndALockedRowIsReported) {
    const QString longText = "05/09/2026 10:01:00 - Compactador não pôde ser iniciado: "
                             "/opt/it's/a/very/long/path/to/some/archiver/program";
    ExecOwnTransaction(dm.IBDatabase1, ArchiveEndSql(1, false, at(10, 1), longText + "\r\n"));
    EXPECT_EQ(committed(1, "BACKUP_LASTERR").toString(), longText.left(80));
    EXPECT_TRUE(committed(1, "BACKUP_LASTRUN").isNull());

    // Another program holds the row: the write fails at once instead of waiting.
    Transaction other(dm.IBDatabase1);
    other.setParams({"read_committed", "rec_version", "nowait"});
    Query lock;
    lock.setDatabase(dm.IBDatabase1);
    lock.setTransaction(&other);
    lock.setSqlText("update BACKUPS set HORA='21:00' where ID=1");
    other.start();
    lock.execSQL();
    EXPECT_THROW(ExecOwnTransaction(dm.IBDatabase1, ArchiveStartSql(1, at(11, 0))), DatabaseError);
    other.rollback();
}

// A program copy older than the columns writes jobs through statements that do not
// name them, so what the runs recorded stays.
TEST_F(ArchiveOutcomeTest, TheJobEditorsStatementsLeaveTheOutcomeAlone) {
    ExecOwnTransaction(dm.IBDatabase1, ArchiveEndSql(1, true, at(10, 5), "x - aviso"));
    EXPECT_FALSE(backupsUpdateColumns().contains("BACKUP_LASTRUN"));
    JobQueries queries(&dm);
    queries.IBQuery_Backups.open();
    ASSERT_TRUE(queries.IBQuery_Backups.locate("ID", 1));
    queries.IBQuery_Backups.edit();
    queries.IBQuery_Backups.fieldByName("BACKUPNAME")->setAsString("NOVO");
    queries.IBQuery_Backups.post();
    dm.IBTransaction1->commitRetaining();
    EXPECT_EQ(committed(1, "BACKUPNAME").toString(), "NOVO");
    EXPECT_EQ(committed(1, "BACKUP_LASTERR").toString(), "x - aviso");
    EXPECT_EQ(committed(1, "BACKUP_LASTRUN").toDateTime(),
              QDateTime(QDate(2026, 9, 5), QTime(10, 5)));
}
