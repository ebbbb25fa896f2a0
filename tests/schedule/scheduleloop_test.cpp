#include "schedule/scheduleloop.h"
#include "support/fixedclock.h"
#include "support/recordingcursor.h"
#include "support/recordingports.h"
#include "support/scripteddialogs.h"

#include "db/query.h"
#include "jobdb/jobclaim.h"
#include "jobdb/jobqueries.h"
#include "lib/ports.h"
#include "lib/ui.h"
#include "platform/application.h"
#include "platform/clock.h"
#include "platform/cursor.h"
#include "support/firebird.h"
#include "support/ftpservers.h"
#include "support/jobdatabase.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace bkp;
using namespace bkp::schedule;
using platform::CursorKind;

namespace {

const QString Title = QStringLiteral("BKPZelto - Gerenciador de backups");

// The loop with the archive run and the upload replaced by the fixture's, which do
// to the job's row what the real ones do.
class RecordingLoop : public ScheduleLoop {
public:
    RecordingLoop(ScheduleState &state, ScheduleContext context,
                  std::function<void(int, jobdb::JobClaim *)> archive,
                  std::function<void(db::Query &, jobdb::JobClaim *)> upload)
        : ScheduleLoop(state, std::move(context)), m_archive(std::move(archive)),
          m_upload(std::move(upload)) {}

protected:
    void runArchive(int jobId, jobdb::JobClaim *claim) override { m_archive(jobId, claim); }
    void runUpload(db::Query &jobs, jobdb::JobClaim *claim) override { m_upload(jobs, claim); }

private:
    std::function<void(int, jobdb::JobClaim *)> m_archive;
    std::function<void(db::Query &, jobdb::JobClaim *)> m_upload;
};

// A schedule over a real job database, with runs that do to the job's row what
// the archive run and the upload do: move the next date to tomorrow, or record
// only the error of a failed upload.
class ScheduleLoopTest : public ::testing::Test {
protected:
    ScheduleLoopTest() {
        platform::setApplicationTitle(Title);
        platform::setCursorControl(&cursor);
        platform::setSleeper(&sleeper);
        clock.set(QDateTime(QDate(2027, 5, 10), QTime(10, 0)));
        ScheduleContext c;
        c.DM = &jobs.dm;
        c.statusBar = &status;
        c.tray = &tray;
        c.scheduleTimer = &timer1;
        c.clockTimer = &timerNow;
        loop = std::make_unique<RecordingLoop>(
            state, std::move(c), [this](int id, jobdb::JobClaim *claim) { archive(id, claim); },
            [this](db::Query &q, jobdb::JobClaim *claim) { upload(q, claim); });
    }
    ~ScheduleLoopTest() override { platform::setCursorControl(nullptr); }

    // The runners store their changes to the job's row through the schedule's claim.
    void store(jobdb::JobClaim *claim, const QString &sql) {
        EXPECT_TRUE(claim && claim->held());
        jobdb::JobClaim::store(jobs.dm.IBDatabase1, claim, sql);
        jobs.dm.IBTransaction1->commitRetaining();
    }

    void archive(int id, jobdb::JobClaim *claim) {
        archived << id;
        archivedAt << clock.now();
        if (onArchive)
            onArchive(id);
        store(claim, QStringLiteral("Update Backups set DATA=%1 where ID=%2")
                         .arg(SqlDate(Date() + 1))
                         .arg(id));
    }

    void upload(db::Query &q, jobdb::JobClaim *claim) {
        EXPECT_TRUE(q.active());
        const int id = q.fieldByName("ID")->asInteger();
        uploaded << id;
        uploadedNames << q.fieldByName("BACKUPNAME")->asString();
        if (onUpload)
            onUpload(q);
        if (failingUploads.contains(id))
            store(claim,
                  QStringLiteral("Update Backups Set FTP_LastErr='erro' Where ID=%1").arg(id));
        else
            store(claim,
                  QStringLiteral("Update Backups set FTP_DATA=%1, FTP_LASTSEND=%2 where ID=%3")
                      .arg(SqlDate(Date() + 1), SqlDateTime(Now()))
                      .arg(id));
    }

    // A tick, then the timer's interval before the next one.
    void tick() {
        loop->tick();
        clock.advanceMs(10000);
    }
    void ticks(int n) {
        for (int i = 0; i < n; ++i)
            tick();
    }

    QStringList panel3Writes() const {
        QStringList out;
        for (const auto &w : status.writes())
            if (w.panel == SchedulePanel)
                out << w.text;
        return out;
    }

    platform::FixedClock clock;
    platform::ScopedClock clockScope{&clock};
    // The database opening's own pause is not the schedule's.
    platform::RecordingSleeper openingPause;
    platform::ScopedSleeper sleeperScope{&openingPause};
    platform::RecordingCursor cursor;
    test::JobDatabase jobs;
    platform::RecordingSleeper sleeper{&clock};
    RecordingStatusBar status;
    RecordingTray tray;
    RecordingTimer timer1{true};
    RecordingTimer timerNow{true};
    ScheduleState state;
    std::unique_ptr<ScheduleLoop> loop;

    QList<int> archived, uploaded;
    QList<QDateTime> archivedAt;
    QStringList uploadedNames;
    QList<int> failingUploads;
    std::function<void(int)> onArchive;
    std::function<void(db::Query &)> onUpload;
};

const QDate Today(2027, 5, 10);

} // namespace

TEST_F(ScheduleLoopTest, FirstTickUploadsSecondArchivesAndBothMoveToTomorrow) {
    jobs.addJob(7, "ALFA", 0, Today.addDays(-1), QTime(8, 0), 0, Today, QTime(9, 0));

    tick();
    EXPECT_EQ(state.TimerPhase, 1);
    EXPECT_EQ(uploaded, QList<int>{7});
    EXPECT_TRUE(archived.isEmpty());
    EXPECT_EQ(panel3Writes(), (QStringList{"Verificando FTP... ALFA", ""}));
    EXPECT_EQ(sleeper.total(), 100);

    status.clearHistory();
    tick();
    EXPECT_EQ(state.TimerPhase, 0);
    EXPECT_EQ(archived, QList<int>{7});
    EXPECT_EQ(panel3Writes(), (QStringList{"Verificando backups... ALFA", ""}));
    EXPECT_EQ(sleeper.total(), 300);
    EXPECT_EQ(jobs.value(7, "DATA").toDate(), Today.addDays(1));
    EXPECT_EQ(jobs.value(7, "FTP_DATA").toDate(), Today.addDays(1));

    // Done for today: nothing runs again until tomorrow's times are reached.
    ticks(4);
    EXPECT_EQ(archived.size(), 1);
    EXPECT_EQ(uploaded.size(), 1);
    clock.set(QDateTime(Today.addDays(1), QTime(8, 30)));
    ticks(2);
    EXPECT_EQ(archived.size(), 2);
    EXPECT_EQ(uploaded.size(), 1); // the upload waits for 9:00
    clock.set(QDateTime(Today.addDays(1), QTime(9, 0)));
    ticks(2);
    EXPECT_EQ(uploaded.size(), 2);
}

TEST_F(ScheduleLoopTest, DateAndTimeOfDayAreComparedSeparately) {
    jobs.addJob(1, "ONTEM", 0, Today.addDays(-1), QTime(20, 0));
    jobs.addJob(2, "TARDE", 0, Today, QTime(23, 59, 50));

    loop->checkBackups();
    EXPECT_TRUE(archived.isEmpty()); // yesterday's 20:00 is not due at 10:00 today

    clock.set(QDateTime(Today, QTime(20, 0)));
    loop->checkBackups();
    EXPECT_EQ(archived, QList<int>{1});
    jobs.exec("Update Backups set BACKUPACTIVE=1 where ID=1");

    // Asleep from before 23:59:50 until 00:30: the date is past but the time of
    // day is not, so the run waits for 23:59:50 of the new day.
    clock.set(QDateTime(Today.addDays(1), QTime(0, 30)));
    loop->checkBackups();
    EXPECT_EQ(archived, QList<int>{1});
    clock.set(QDateTime(Today.addDays(1), QTime(23, 59, 49)));
    loop->checkBackups();
    EXPECT_EQ(archived, QList<int>{1});
    clock.set(QDateTime(Today.addDays(1), QTime(23, 59, 50)));
    loop->checkBackups();
    EXPECT_EQ(archived, (QList<int>{1, 2}));
}

TEST_F(ScheduleLoopTest, NullsAndTheInvertedActiveFlags) {
    // Null BACKUPACTIVE counts as on, null dates and times as long past; null
    // FTP_ACTIVE counts as off; 1 is off for both.
    jobs.addJob(1, "A_OFF", 1, Today.addDays(-5), QTime(0, 0), 1, Today.addDays(-5), QTime(0, 0));
    jobs.addJob(2, "B_NULL", QVariant(), QDate(), QTime(), QVariant(), QDate(), QTime());
    jobs.addJob(3, "C_FTP", 1, QDate(), QTime(), 0, QDate(), QTime());

    loop->checkBackups();
    EXPECT_EQ(archived, QList<int>{2});
    loop->checkUploads();
    EXPECT_EQ(uploaded, QList<int>{3});
    EXPECT_EQ(sleeper.total(), 2 * 200 + 3 * 100); // stopped at B_NULL, walked to C_FTP

    // After their runs both moved to tomorrow; nothing else is ever due.
    archived.clear();
    uploaded.clear();
    loop->checkBackups();
    loop->checkUploads();
    EXPECT_TRUE(archived.isEmpty());
    EXPECT_TRUE(uploaded.isEmpty());
}

TEST_F(ScheduleLoopTest, JobsDueTogetherRunInNameOrderTwentySecondsApart) {
    jobs.addJob(1, "ZETA", 0, Today, QTime(9, 0));
    jobs.addJob(2, "ALFA", 0, Today, QTime(9, 0));
    jobs.addJob(3, "BETA", 0, Today, QTime(9, 0));

    ticks(8);
    EXPECT_EQ(archived, (QList<int>{2, 3, 1}));
    ASSERT_EQ(archivedAt.size(), 3);
    // Two ticks of 10 seconds each, plus the status pauses of the checks between.
    const qint64 apart = archivedAt[0].msecsTo(archivedAt[1]);
    EXPECT_GE(apart, 20000);
    EXPECT_LT(apart, 21000);
}

// A job whose attempts keep failing (an upload recording its error, an archive run
// that raises) is tried again in its turn, after the other due jobs.
TEST_F(ScheduleLoopTest, AFailingJobLetsTheOtherDueJobsGoFirstAndIsRetriedInItsTurn) {
    jobs.addJob(1, "ALFA", 0, Today, QTime(9, 0), 0, Today, QTime(9, 0));
    jobs.addJob(2, "BETA", 0, Today, QTime(9, 0), 0, Today, QTime(9, 0));
    jobs.addJob(3, "GAMA", 0, Today, QTime(9, 0), 0, Today, QTime(9, 0));
    failingUploads << 1;
    onArchive = [](int id) {
        if (id == 1)
            throw std::runtime_error("arquivo em uso");
    };
    for (int i = 0; i < 4; ++i) {
        loop->checkUploads();
        try {
            loop->checkBackups();
        } catch (const std::runtime_error &) {
            // ALFA's run; the others store their dates.
        }
    }
    EXPECT_EQ(uploaded, (QList<int>{1, 2, 3, 1}));
    EXPECT_EQ(archived, (QList<int>{1, 2, 3, 1}));
    EXPECT_EQ(jobs.value(1, "FTP_LASTERR").toString(), "erro");
    EXPECT_EQ(jobs.value(1, "FTP_DATA").toDate(), Today);
    EXPECT_EQ(jobs.value(1, "DATA").toDate(), Today);
    for (int id : {2, 3}) {
        EXPECT_EQ(jobs.value(id, "FTP_DATA").toDate(), Today.addDays(1));
        EXPECT_EQ(jobs.value(id, "DATA").toDate(), Today.addDays(1));
    }
}

TEST_F(ScheduleLoopTest, TickWorksWithTimersOffBusyAndHourglassAndRestoresThem) {
    jobs.addJob(1, "ALFA", 0, Today, QTime(9, 0), 0, Today, QTime(9, 0));
    tray.setHint("Enviados 10 bytes (50%)");
    bool checked = false;
    auto during = [&] {
        EXPECT_TRUE(state.TimerBusy);
        EXPECT_FALSE(timer1.enabled());
        EXPECT_FALSE(timerNow.enabled());
        EXPECT_EQ(cursor.current(), CursorKind::Hourglass);
        EXPECT_EQ(tray.hint(), Title);
        checked = true;
    };
    onUpload = [&](db::Query &) {
        during();
    };
    onArchive = [&](int) {
        during();
    };

    for (int i = 0; i < 2; ++i) {
        checked = false;
        tick();
        EXPECT_TRUE(checked);
        EXPECT_FALSE(state.TimerBusy);
        EXPECT_TRUE(timer1.enabled());
        EXPECT_TRUE(timerNow.enabled());
        EXPECT_EQ(cursor.current(), CursorKind::Default);
    }
    EXPECT_EQ(timer1.history(), (QList<bool>{false, true, false, true}));
    EXPECT_EQ(timerNow.history(), (QList<bool>{false, true, false, true}));
}

TEST_F(ScheduleLoopTest, ErrorInARunnerRestoresTheTickAndTheJobStaysDue) {
    jobs.addJob(1, "ALFA", 0, Today, QTime(9, 0), 0, Today, QTime(9, 0));
    onUpload = [](db::Query &) {
        throw std::runtime_error("conexão recusada");
    };
    onArchive = [](int) {
        throw db::DatabaseError("lock conflict on no wait transaction");
    };

    EXPECT_THROW(loop->tick(), std::runtime_error);
    EXPECT_THROW(loop->tick(), db::DatabaseError);
    for (const RecordingTimer *t : {&timer1, &timerNow}) {
        EXPECT_TRUE(t->enabled());
        EXPECT_EQ(t->history(), (QList<bool>{false, true, false, true}));
    }
    EXPECT_EQ(cursor.current(), CursorKind::Default);
    EXPECT_FALSE(state.TimerBusy);

    onUpload = nullptr;
    onArchive = nullptr;
    ticks(2);
    EXPECT_EQ(uploaded, (QList<int>{1, 1}));
    EXPECT_EQ(archived, (QList<int>{1, 1}));

    // The check's own query failing is restored from the same way.
    jobs.dm.IBDatabase1->close();
    EXPECT_THROW(loop->tick(), db::DatabaseError);
    EXPECT_TRUE(timer1.enabled() && timerNow.enabled());
    EXPECT_EQ(cursor.current(), CursorKind::Default);
    EXPECT_FALSE(state.TimerBusy);
}

// An error that escapes a check, and a box a run shows, are a balloon at once and
// a box once the schedule is on again: the schedule runs on while a box is open,
// and a later tick's box waits for the open one to close.
TEST_F(ScheduleLoopTest, ErrorsOfATickAreABalloonAtOnceAndABoxWithTheScheduleOn) {
    jobs.addJob(1, "ALFA", 0, Today, QTime(9, 0), 0, Today, QTime(9, 0));
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs dialogsScope(&dialogs);
    // The upload puts the timer back on before its error leaves it.
    onUpload = [this](db::Query &) {
        timer1.setEnabled(true);
        throw std::runtime_error("gravação do erro falhou");
    };
    onArchive = [](int) {
        ShowMessageBox("nome recusado", QString(), platform::MB_OK | platform::MB_ICONERROR);
    };
    int boxes = 0;
    loop->context().showError = [&](const std::exception &e) {
        ++boxes;
        EXPECT_STREQ(e.what(), "gravação do erro falhou");
        ASSERT_FALSE(tray.balloons().isEmpty());
        EXPECT_EQ(tray.balloons().last().text, "gravação do erro falhou");
        EXPECT_EQ(tray.balloons().last().kind, TrayPort::BalloonKind::Error);
        EXPECT_TRUE(timer1.enabled() && timerNow.enabled());
        EXPECT_FALSE(state.TimerBusy);
        EXPECT_EQ(cursor.current(), CursorKind::Default);
        loop->tick();
        EXPECT_EQ(archived, QList<int>{1});
        EXPECT_EQ(tray.balloons().last().text, "nome recusado");
        EXPECT_TRUE(dialogs.shown().isEmpty());
    };
    EXPECT_NO_THROW(loop->tick());
    EXPECT_EQ(boxes, 1);
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_EQ(dialogs.shown()[0].text, "nome recusado");
    EXPECT_TRUE(timer1.enabled() && timerNow.enabled());
    EXPECT_FALSE(state.TimerBusy);
    onUpload = nullptr;
    ticks(2);
    EXPECT_EQ(uploaded, (QList<int>{1, 1}));
}

TEST_F(ScheduleLoopTest, TickArrivingDuringAnUploadDoesNothing) {
    jobs.addJob(1, "ALFA", 0, Today, QTime(9, 0), 0, Today, QTime(9, 0));
    // The operator switched the timer on while the upload let messages through.
    onUpload = [&](db::Query &) {
        const int phase = state.TimerPhase;
        const int writes = int(status.writes().size());
        loop->tick();
        EXPECT_EQ(state.TimerPhase, phase);
        EXPECT_EQ(int(status.writes().size()), writes);
        EXPECT_TRUE(state.TimerBusy);
        EXPECT_FALSE(timerNow.enabled());
    };
    tick();
    EXPECT_EQ(uploaded, QList<int>{1});
    EXPECT_TRUE(archived.isEmpty());
    EXPECT_FALSE(state.TimerBusy);
    EXPECT_TRUE(timer1.enabled());
}

// A job whose row another program holds is left to it, silently, and the next due
// job runs; changes of this program's own shared transaction do not hold it back.
TEST_F(ScheduleLoopTest, AJobHeldByAnotherProgramIsLeftToIt) {
    jobs.addJob(1, "ALFA", 0, Today, QTime(9, 0), 0, Today, QTime(9, 0));
    jobs.addJob(2, "BETA", 0, Today, QTime(9, 0), 0, Today, QTime(9, 0));
    db::Transaction other(jobs.dm.IBDatabase1);
    other.setParams({"read_committed", "rec_version", "nowait"});
    db::Query hold;
    hold.setDatabase(jobs.dm.IBDatabase1);
    hold.setTransaction(&other);
    hold.setSqlText("select ID from BACKUPS where ID=1 with lock");
    hold.open();

    ticks(2);
    EXPECT_EQ(uploaded, QList<int>{2});
    EXPECT_EQ(archived, QList<int>{2});
    hold.close();
    other.rollback();

    // Left to the next commit, as a bulk reschedule leaves its change.
    db::ExecSQL(jobs.dm.IBDatabase1, "update BACKUPS set FTP_LASTERR='x' where ID=1");
    ticks(2);
    EXPECT_EQ(uploaded, (QList<int>{2, 1}));
    EXPECT_EQ(archived, (QList<int>{2, 1}));
}

TEST_F(ScheduleLoopTest, WhileWindowsEndsEveryTickOnlyWarns) {
    jobs.addJob(1, "ALFA", 0, Today, QTime(9, 0), 0, Today, QTime(9, 0));
    tray.setHint("Enviando");
    state.WindowsEnding = true;

    ticks(3);
    EXPECT_TRUE(archived.isEmpty());
    EXPECT_TRUE(uploaded.isEmpty());
    EXPECT_EQ(state.TimerPhase, 0);
    EXPECT_FALSE(state.TimerBusy);
    EXPECT_TRUE(timer1.history().isEmpty());
    EXPECT_TRUE(timerNow.history().isEmpty());
    EXPECT_EQ(cursor.changes(), 0);
    EXPECT_EQ(tray.hint(), "Enviando");
    EXPECT_EQ(status.panelText(3), "Windows finalizando...");
    EXPECT_EQ(sleeper.calls(), 0);
    ASSERT_EQ(tray.balloons().size(), 3);
    const RecordingTray::Balloon &b = tray.balloons().first();
    EXPECT_EQ(b.title, Title);
    EXPECT_EQ(b.text, "Windows finalizando...");
    EXPECT_EQ(b.kind, TrayPort::BalloonKind::Warning);
    EXPECT_EQ(b.timeoutMs, 6000);
}

TEST_F(ScheduleLoopTest, EmptyJobTableOnlyClearsThePanel) {
    status.setPanelText(3, "antigo");
    status.clearHistory();
    ticks(2);
    EXPECT_EQ(panel3Writes(), (QStringList{"", ""}));
    EXPECT_EQ(sleeper.calls(), 0);
}

// The job database served through a relay that goes down in the middle of an upload
// and comes back: one balloon for the outage and none of its errors, the result that
// could not be stored leaves the job due, and once the server answers again the
// connection and the job list come back on the same row. While a job is being
// edited nothing is reconnected.
TEST_F(ScheduleLoopTest, ALostDatabaseServerIsToldOnceAndReconnectedOnTheSameRow) {
    ASSERT_TRUE(test::serverAnswers());
    const int pid = int(QCoreApplication::applicationPid());
    const QString address = QStringLiteral("127.77.%1.%2").arg(pid / 256 % 256).arg(pid % 254 + 1);
    test::FtpServerProcess relay;
    const test::TempDir relayLog;
    ASSERT_TRUE(relay.startRelay(relayLog.path(), address, "127.0.0.1", {3050}));
    test::JobDatabase served(address);
    db::Database *database = served.dm.IBDatabase1;
    served.addJob(1, "ALFA", 1, Today, QTime(9, 0));
    served.addJob(2, "BETA", 1, Today, QTime(9, 0), 0, Today, QTime(9, 0));
    served.addJob(3, "GAMA", 1, Today, QTime(9, 0));
    jobdb::JobQueries views(&served.dm);
    jobdb::AbrirTabelas(&views.IBQuery_Backups);
    ASSERT_TRUE(views.IBQuery_Backups.locate("ID", 2));
    int boxes = 0, reconnected = 0;
    loop->context().DM = &served.dm;
    loop->context().showError = [&](const std::exception &) {
        ++boxes;
    };
    loop->context().views = &views;
    loop->context().reconnected = [&] {
        ++reconnected;
    };

    // The server goes away after the file was sent, before its result is stored.
    onUpload = [&](db::Query &) {
        relay.setRelayUp(false);
    };
    tick();
    onUpload = nullptr;
    EXPECT_EQ(uploaded, QList<int>{2});
    EXPECT_TRUE(loop->connectionLost());
    EXPECT_FALSE(database->connected());
    EXPECT_FALSE(views.IBQuery_Backups.active());
    ticks(3);
    ASSERT_EQ(tray.balloons().size(), 1);
    EXPECT_EQ(tray.balloons()[0].text, ConnectionLostText());
    EXPECT_EQ(tray.balloons()[0].kind, TrayPort::BalloonKind::Warning);
    EXPECT_EQ(boxes, 0);
    EXPECT_TRUE(timer1.enabled() && timerNow.enabled());
    EXPECT_FALSE(state.TimerBusy);

    relay.setRelayUp(true);
    tick();
    EXPECT_FALSE(loop->connectionLost());
    EXPECT_EQ(reconnected, 1);
    ASSERT_EQ(tray.balloons().size(), 2);
    EXPECT_EQ(tray.balloons()[1].text, ConnectionBackText());
    ASSERT_TRUE(views.IBQuery_Backups.active());
    EXPECT_EQ(views.IBQuery_Backups.fieldByName("ID")->asInteger(), 2);
    // Not counted as sent: still due, and sent at a later check.
    ticks(2);
    EXPECT_EQ(uploaded, (QList<int>{2, 2}));
    EXPECT_EQ(served.value(2, "FTP_DATA").toDate(), Today.addDays(1));

    // Lost while a job is being edited: its fields stay until the operator is done.
    views.IBQuery_Backups.edit();
    relay.setRelayUp(false);
    ticks(2);
    relay.setRelayUp(true);
    ticks(2);
    EXPECT_TRUE(loop->connectionLost());
    EXPECT_EQ(views.IBQuery_Backups.state(), db::DataSetState::Edit);
    views.IBQuery_Backups.cancel();
    tick();
    EXPECT_FALSE(loop->connectionLost());
    EXPECT_EQ(reconnected, 2);
    EXPECT_EQ(tray.balloons().size(), 4);
    EXPECT_EQ(views.IBQuery_Backups.fieldByName("ID")->asInteger(), 2);
    EXPECT_EQ(boxes, 0);
}

TEST(TimerButton, TheButtonAndStatusTimerWriteTheirOwnCaptionForms) {
    RecordingTimer timer1(true), timerNow(true);
    QStringList captions;
    auto caption = [&](const QString &c) {
        captions << c;
    };

    toggleSchedule(timer1, caption);
    EXPECT_FALSE(timer1.enabled());
    toggleSchedule(timer1, caption);
    EXPECT_TRUE(timer1.enabled());
    EXPECT_TRUE(timerNow.history().isEmpty()); // the clock keeps running

    // An FTP tool switches off, nests, and gives the previous state back.
    const bool wasOn = setScheduleEnabled(timer1, caption, false);
    EXPECT_TRUE(wasOn);
    EXPECT_FALSE(timer1.enabled());
    EXPECT_FALSE(setScheduleEnabled(timer1, caption, false));
    EXPECT_FALSE(setScheduleEnabled(timer1, caption, wasOn));
    EXPECT_TRUE(timer1.enabled());
    EXPECT_EQ(captions,
              (QStringList{"Timer (Off)", "Timer (On)", "Timer(Off)", "Timer(Off)", "Timer(On)"}));
}
