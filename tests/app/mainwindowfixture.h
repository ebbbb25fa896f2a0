#pragma once

#include "app/mainwindow.h"
#include "db/dataroutines.h"
#include "jobdb/schema.h"
#include "platform/application.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "support/faketrayicon.h"
#include "support/fixedclock.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

namespace bkp::test {

// The real window over a real job database in a folder of its own, living
// behind a tray icon the test clicks.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        // An end of session a test before raised would stop every wait on a server.
        platform::resetTerminated();
        platform::resetSessionEnding();
        platform::setApplicationTitle(QStringLiteral("BKPZelto - Gerenciador de backups"));
        program = dir.write(programName());
        dir.write(programName() + ".Ini",
                  "[DataBase]\nDataBaseName=" + dir.file("BKPZELTO.FB").toUtf8() + "\n");
    }
    void TearDown() override {
        delete master;
        platform::resetTerminated();
        platform::resetSessionEnding();
    }

    // The program's path below the test's folder.
    virtual QString programName() const { return QStringLiteral("bkp"); }

    app::TfMaster *create(bool trayAvailable = true) {
        tray = new app::FakeTrayIcon(trayAvailable);
        master = new app::TfMaster(tray);
        jobdb::MemoryLog log;
        EXPECT_TRUE(master->FormCreate(program, &log));
        return master;
    }

    void addJobs() {
        auto *database = master->dataModule()->IBDatabase1;
        ASSERT_TRUE(
            db::ExecSQL(database, "Insert into BACKUPS (ID, BACKUPNAME) values (1, 'ZETA')"));
        ASSERT_TRUE(
            db::ExecSQL(database, "Insert into BACKUPS (ID, BACKUPNAME) values (2, 'ALFA')"));
    }

    test::TempDir dir;
    QString program;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scopedDialogs{&dialogs};
    platform::RecordingSleeper noPause;
    platform::ScopedSleeper scopedSleeper{&noPause};
    app::FakeTrayIcon *tray = nullptr;
    app::TfMaster *master = nullptr;
};

} // namespace bkp::test
