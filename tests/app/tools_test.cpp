#include "app/mainwindowfixture.h"
#include "db/dataroutines.h"
#include "db/query.h"
#include "schedule/reprogramarhorarios.h"
#include "support/modal.h"
#include "tools/fbconsole.h"
#include "widgets/buttonrow.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace bkp;
using bkp::test::MainWindowTest;

namespace {

// Clicks OK of the modal window of type W once it is up (bounded: 5 s).
template <typename W> void clickOkOfModal(bool &seen) {
    auto *poll = new QTimer;
    auto *tries = new int(0);
    QObject::connect(poll, &QTimer::timeout, [poll, tries, &seen] {
        if (auto *w = qobject_cast<W *>(QApplication::activeModalWidget())) {
            seen = true;
            w->BitBtn1->click();
        } else if (++*tries < 500) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        delete tries;
    });
    poll->start(10);
}

TEST_F(MainWindowTest, ReprogramarHorariosIsOffWhileAJobIsEditedAndReloadsTheList) {
    create();
    addJobs();
    tray->click();
    QAction *entry = master->toolsMenu()->ReprogramarHorarios1;
    EXPECT_TRUE(entry->isEnabled());
    master->toolBar()->ToolButtonNew->click();
    EXPECT_FALSE(entry->isEnabled());
    master->toolBar()->ToolButtonCancel->click();
    master->toolBar()->ToolButtonEdit->click();
    EXPECT_FALSE(entry->isEnabled());
    master->toolBar()->ToolButtonCancel->click();
    EXPECT_TRUE(entry->isEnabled());

    bool seen = false;
    clickOkOfModal<schedule::TfReprogramarHorarios>(seen);
    entry->trigger();
    EXPECT_TRUE(seen);
    EXPECT_EQ(master->findChildren<schedule::TfReprogramarHorarios *>().size(), 0);
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_EQ(dialogs.shown()[0].text, "Concluído.");
    // The list shows the new times, its first job (by name) current: ALFA has ID 2.
    db::Query &jobs = master->jobQueries()->IBQuery_Backups;
    EXPECT_EQ(jobs.fieldByName("BACKUPNAME")->asString(), "ALFA");
    EXPECT_EQ(jobs.fieldByName("HORA")->value().toTime(), QTime(20, 1));
    EXPECT_EQ(jobs.fieldByName("FTP_HORA")->value().toTime(), QTime(20, 42));
}

TEST_F(MainWindowTest, FBConsoleRunsWithTheScheduleOffAndLeavesTheJobListOpenAfterARefresh) {
    create();
    addJobs();
    db::Query &jobs = master->jobQueries()->IBQuery_Backups;
    jobs.close();
    jobs.open();
    jobs.last(); // ZETA, ID 1

    QString inside;
    bool seen = false;
    test::whenModalOpens<tools::TfFBConsole>([&](tools::TfFBConsole &console) {
        seen = true;
        inside = master->toolBar()->ToolButtonTimer->text();
        EXPECT_EQ(console.windowTitle(),
                  "FBConsole [" + master->dataModule()->IBDatabase1->databaseName().toLower() +
                      "]");
        console.findChild<QToolButton *>("ToolButton_Refresh")->click(); // closes everything
        EXPECT_FALSE(jobs.active());
    });
    master->toolsMenu()->FBConsole1->trigger();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(inside.contains("Off"));
    EXPECT_EQ(master->toolBar()->ToolButtonTimer->text(), "Timer(On)"); // running again
    ASSERT_TRUE(jobs.active());
    EXPECT_EQ(jobs.fieldByName("BACKUPNAME")->asString(), "ZETA");
}

TEST_F(MainWindowTest, FBConsoleKeepsWhatTheJobWritersLeftForTheNextCommit) {
    create();
    addJobs();
    db::Database *database = master->dataModule()->IBDatabase1;
    // A writer's change left for the next commit, as the archive run leaves its dates.
    db::ExecSQL(database, "update BACKUPS set BACKUPNAME = 'OMEGA' where ID = 1");
    test::whenModalOpens<tools::TfFBConsole>([&](tools::TfFBConsole &console) {
        console.findChild<QToolButton *>("ToolButton_Roolback")->click();
    });
    master->toolsMenu()->FBConsole1->trigger();
    db::Query q;
    q.setDatabase(database);
    q.setSqlText("select BACKUPNAME from BACKUPS where ID = 1");
    q.open();
    EXPECT_EQ(q.fieldByName("BACKUPNAME")->asString(), "OMEGA");
}

} // namespace
