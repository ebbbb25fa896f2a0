#include "app/settings.h"
#include "db/database.h"
#include "platform/inifile.h"
#include "support/firebird.h"
#include "support/tempdir.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

using namespace bkp;

TEST(SettingsFiles, NamesFollowTheProgramsPath) {
    EXPECT_EQ(app::settingsFileName("/apps/BKP.EXE"), "/apps/BKP.Ini");
    EXPECT_EQ(app::settingsFileName("/work/build/bkpzelto"), "/work/build/bkpzelto.Ini");
    EXPECT_EQ(app::backupsIniFileName("/apps/bkp.exe"), "/APPS/BKP_Backups.Ini");
    // Cut before the first "." of the whole path, as the program always has.
    EXPECT_EQ(app::backupsIniFileName("/opt/v1.2/bkp"), "/OPT/V1_Backups.Ini");
}

TEST(SettingsFiles, TheUpperCasedFolderIsTheProgramsOwn) {
    test::TempDir dir;
    const QString program = dir.file("Prog/bkp");
    dir.write("Prog/bkp");
    QString made = app::touchBackupsIni(program);
    EXPECT_EQ(made, dir.file("Prog/BKP_Backups.Ini"));
    EXPECT_TRUE(QFile::exists(made));
    EXPECT_EQ(QFile(made).size(), 0);
    EXPECT_FALSE(QDir(dir.file("PROG")).exists());

    auto ini = app::openSettingsFile(program);
    EXPECT_FALSE(ini->readString("Geral", "UpdateFile").isEmpty());
    EXPECT_TRUE(dir.read("Prog/bkp.Ini").startsWith("[Geral]"));
}

namespace {

// Runs the real program copied alone into a folder, until it has opened its
// database, then ends it as the session's end would.
class ProgramRun {
public:
    explicit ProgramRun(const QString &folder) : m_folder(folder) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        m_process.setProcessEnvironment(env);
        m_process.setWorkingDirectory(folder);
        m_process.start(folder + "/bkpzelto", {});
    }
    bool startedAndResident() {
        if (!m_process.waitForStarted(10000))
            return false;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 20000 && !QFile::exists(m_folder + "/DataBase/BKPZELTO.FB"))
            QThread::msleep(50);
        // The opening shows its lines for a second before it is done.
        QThread::msleep(2500);
        return m_process.state() == QProcess::Running;
    }
    int terminate() {
        ::kill(pid_t(m_process.processId()), SIGTERM);
        if (!m_process.waitForFinished(20000)) {
            m_process.kill();
            m_process.waitForFinished();
            return -1;
        }
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -2;
    }

private:
    QString m_folder;
    QProcess m_process;
};

int indexCount(db::Database *d) {
    int n = 0;
    for (const char *t : {"BACKUPS", "ARQUIVOS"})
        for (const db::IndexInfo &i : d->indexes(t))
            n += i.name.startsWith("RDB$") ? 0 : 1;
    return n;
}

} // namespace

TEST(Program, StartsInAnEmptyFolderCreatesItsFilesAndEndsOnSigterm) {
    test::TempDir dir;
    ASSERT_TRUE(QFile::copy(BKP_BINARY_DIR "/bkpzelto", dir.file("bkpzelto")));
    QFile::setPermissions(dir.file("bkpzelto"),
                          QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner);
    {
        ProgramRun run(dir.path());
        ASSERT_TRUE(run.startedAndResident());
        EXPECT_EQ(run.terminate(), 0);
    }
    EXPECT_TRUE(QFile::exists(dir.file("BKPZELTO_Backups.Ini")));
    EXPECT_EQ(QFile(dir.file("BKPZELTO_Backups.Ini")).size(), 0);
    platform::IniFile ini(dir.file("bkpzelto.Ini"));
    EXPECT_FALSE(ini.readString("Geral", "UpdateFile").isEmpty());

    QList<db::ColumnInfo> columns;
    {
        test::TestDatabase check(dir.file("DataBase/BKPZELTO.FB"), false);
        columns = check->columns("BACKUPS");
        EXPECT_EQ(columns.size(), 22);
        EXPECT_EQ(check->columns("ARQUIVOS").size(), 6);
        EXPECT_EQ(indexCount(check.get()), 14);
    }

    // The second start finds the file and, with a server answering, goes through it.
    ASSERT_TRUE(test::serverAnswers());
    {
        ProgramRun run(dir.path());
        ASSERT_TRUE(run.startedAndResident());
        EXPECT_EQ(run.terminate(), 0);
    }
    test::TestDatabase check(dir.file("DataBase/BKPZELTO.FB"), false);
    EXPECT_EQ(check->columns("BACKUPS").size(), columns.size());
    EXPECT_EQ(indexCount(check.get()), 14);
}
