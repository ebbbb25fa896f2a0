#include "app/startup.h"
#include "jobdb/schema.h"
#include "platform/application.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "support/fixedclock.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace bkp;

TEST(Startup, ASettingsFileThatCannotBeWrittenIsReportedAndTheStartGoesOn) {
    test::TempDir dir;
    const QString program = dir.write("bkp");
    // The settings file is read-only; it still names where the database is.
    dir.write("bkp.Ini", "[DataBase]\nDataBaseName=" + dir.file("BKPZELTO.FB").toUtf8() + "\n");
    QFile::setPermissions(dir.file("bkp.Ini"), QFile::ReadOwner | QFile::ReadGroup);

    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scopedDialogs(&dialogs);
    platform::RecordingSleeper noPause;
    platform::ScopedSleeper scopedSleeper(&noPause);
    platform::resetTerminated();

    app::StartupState state;
    jobdb::MemoryLog log;
    ASSERT_TRUE(app::openSettingsAndDatabase(state, program, &log));
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_TRUE(dialogs.shown()[0].text.contains("bkp.Ini"))
        << dialogs.shown()[0].text.toStdString();
    EXPECT_TRUE(QFile::exists(dir.file("BKPZELTO.FB")));
    EXPECT_TRUE(QFile::exists(dir.file("BKP_Backups.Ini")));
    // The job list is open on its (empty) table, with the file-set query ready for it.
    EXPECT_TRUE(state.queries->IBQuery_Backups.active());
    EXPECT_TRUE(state.queries->IBQuery_Backups.isEmpty());
    EXPECT_EQ(state.queries->IBQuery_Arquivos.params().size(), 1);
    EXPECT_FALSE(platform::terminated());
}
