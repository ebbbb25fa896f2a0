#include "schedule/reprogramarhorarios.h"
#include "schedule/reschedule.h"
#include "support/fixedclock.h"
#include "support/scripteddialogs.h"
#include "widgets/buttonrow.h"
#include "widgets/qtdialogs.h"

#include "jobdb/jobqueries.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "support/firebird.h"
#include "support/jobdatabase.h"

#include <QSpinBox>
#include <QTest>
#include <QTimeEdit>
#include <gtest/gtest.h>

using namespace bkp;
using namespace bkp::schedule;

namespace {

const QDate Today(2027, 3, 15);

// The reschedule over a real job database, on a fixed today's date, with the
// message boxes answered by script.
class Reschedule : public ::testing::Test {
protected:
    Reschedule() { clock.set(QDateTime(Today, QTime(21, 0))); }

    // Jobs with these IDs, all scheduled long ago (some inactive, one without FTP).
    void addJobs(const QList<int> &ids) {
        for (int id : ids)
            jobs.addJob(id, QStringLiteral("JOB%1").arg(id), id % 2, QDate(2026, 1, 1), QTime(8, 0),
                        id == 2 ? QVariant() : QVariant(0), QDate(2026, 1, 2), QTime(9, 0));
    }
    QTime time(int id, const char *column) { return jobs.value(id, column).toTime(); }
    QDate date(int id, const char *column) { return jobs.value(id, column).toDate(); }
    int concluded() const {
        int n = 0;
        for (const auto &s : dialogs.shown())
            n += s.text == QStringLiteral("Concluído.") &&
                 s.flags == (platform::MB_OK | platform::MB_ICONINFORMATION);
        return n;
    }

    platform::FixedClock clock;
    platform::ScopedClock scopedClock{&clock};
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scopedDialogs{&dialogs};
    test::JobDatabase jobs;
};

TEST_F(Reschedule, SpreadsBackupsAMinuteApartAndUploadsTenMinutesApartAfterAPause) {
    struct Case {
        QTime start;
        QList<int> ids;
        // id: backup time, upload time
        QList<std::tuple<int, QTime, QTime>> expected;
    };
    QList<int> twelve;
    for (int id = 1; id <= 12; ++id)
        twelve << id;
    const QList<Case> cases{
        {QTime(20, 0),
         {1, 2, 5},
         {{1, QTime(20, 0), QTime(20, 33)},
          {2, QTime(20, 1), QTime(20, 43)},
          {5, QTime(20, 2), QTime(20, 53)}}},
        // Past midnight the times wrap to the small hours of the same date.
        {QTime(23, 50),
         twelve,
         {{1, QTime(23, 50), QTime(0, 32)},
          {10, QTime(23, 59), QTime(2, 2)},
          {11, QTime(0, 0), QTime(2, 12)},
          {12, QTime(0, 1), QTime(2, 22)}}},
    };
    for (const Case &c : cases) {
        jobs.exec(QStringLiteral("delete from BACKUPS"));
        addJobs(c.ids);
        db::Query rsBackups;
        db::UpdateSQL update;
        SetupRsBackups(rsBackups, update, &jobs.dm);
        Ajustar(rsBackups, FromQTime(c.start), nullptr);
        for (const auto &[id, backup, upload] : c.expected) {
            SCOPED_TRACE(
                QStringLiteral("start %1, job %2").arg(c.start.toString()).arg(id).toStdString());
            EXPECT_EQ(date(id, "DATA"), Today);
            EXPECT_EQ(time(id, "HORA"), backup);
            EXPECT_EQ(date(id, "FTP_DATA"), Today);
            EXPECT_EQ(time(id, "FTP_HORA"), upload);
        }
    }
    EXPECT_EQ(concluded(), 2);
    // Nothing but the schedule columns changed.
    EXPECT_EQ(jobs.value(12, "BACKUPNAME").toString(), "JOB12");
    EXPECT_EQ(jobs.value(11, "BACKUPACTIVE").toInt(), 1);
    EXPECT_TRUE(jobs.value(2, "FTP_ACTIVE").isNull());
}

TEST_F(Reschedule, AnEmptyTableIsStillConcluded) {
    db::Query rsBackups;
    db::UpdateSQL update;
    SetupRsBackups(rsBackups, update, &jobs.dm);
    Ajustar(rsBackups, FromQTime(QTime(20, 0)), nullptr);
    EXPECT_EQ(concluded(), 1);
}

// The dialog's OK reschedules from its start time whatever the interval says, the
// job list shows the new values on its first row, and only the next commit of the
// shared transaction makes them visible to anyone else.
TEST_F(Reschedule, OkReschedulesTheListWithoutCommittingAndTheIntervalChangesNothing) {
    addJobs({5, 1, 2});
    jobdb::JobQueries queries(&jobs.dm);
    db::Query &list = queries.IBQuery_Backups;
    list.open();
    list.last();

    TfReprogramarHorarios window(&jobs.dm, &list);
    EXPECT_EQ(window.windowTitle(), "Reprogramar horários");
    EXPECT_EQ(window.DateTimePicker1->time(), QTime(20, 0));
    window.SpinEdit1->setValue(7);
    window.show();
    QTest::mouseClick(window.BitBtn1, Qt::LeftButton);
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(concluded(), 1);

    EXPECT_EQ(list.recNo(), 1);
    EXPECT_EQ(list.fieldByName("BACKUPNAME")->asString(), "JOB1");
    EXPECT_EQ(list.fieldByName("HORA")->value().toTime(), QTime(20, 0));
    EXPECT_EQ(list.fieldByName("FTP_HORA")->value().toTime(), QTime(20, 33));
    ASSERT_TRUE(list.locate("ID", 5));
    EXPECT_EQ(list.fieldByName("HORA")->value().toTime(), QTime(20, 2));

    test::TestDatabase other(jobs.dm.IBDatabase1->databaseName(), false);
    auto otherTime = [&] {
        db::Query q;
        q.setDatabase(other.get());
        q.setSqlText("select HORA from BACKUPS where ID = 5");
        q.open();
        return q.field(0)->value().toTime();
    };
    EXPECT_EQ(otherTime(), QTime(8, 0));
    jobs.dm.IBTransaction1->commitRetaining();
    EXPECT_EQ(otherTime(), QTime(20, 2));
}

// A row another program holds locked ends the reschedule there: the rows before it
// keep their new times, no "Concluído." appears, and the window still closes.
TEST_F(Reschedule, ALockedRowEndsTheRescheduleThereAndTheWindowClosesAnyway) {
    addJobs({1, 2, 3});
    test::TestDatabase other(jobs.dm.IBDatabase1->databaseName(), false);
    db::ExecSQL(other.get(), "update BACKUPS set BACKUPNAME = 'LOCKED' where ID = 2");

    TfReprogramarHorarios window(&jobs.dm, nullptr);
    // A dialog with the close box alone, under Openbox too.
    EXPECT_EQ(widgets::DialogFrameWindowTypes(&window, "Openbox").value(0),
              "_NET_WM_WINDOW_TYPE_TOOLBAR");
    window.show();
    EXPECT_THROW(window.BitBtn1Click(), db::DatabaseError);
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(concluded(), 0);
    EXPECT_EQ(time(1, "HORA"), QTime(20, 0));
    EXPECT_EQ(time(3, "HORA"), QTime(8, 0));
    other.transaction->rollback();
}

} // namespace
