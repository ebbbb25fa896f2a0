#include "uploadfixture.h"

#include "backup/archiverun.h"
#include "backup/archiverwatch.h"
#include "backup/backupfolder.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace bkp;
using namespace bkp::test;

namespace {

// The upload of a job whose archive is made by a watched archive run.
class ArchiveUploadTest : public UploadTest {
protected:
    void SetUp() override {
        UploadTest::SetUp();
        watch = std::make_unique<backup::ArchiverWatch>(dm->IBDatabase1, &tray,
                                                        local.file("BKPZELTO.Ini"));
        upload->setArchiverWatch(watch.get());
        folder = backup::SetPathBackup("JOB", local.file("dados"));
        set("BACKUPFOLDER", folder);
        dm->IBTransaction1->commitRetaining();
        context.DM = dm;
        context.IBQuery_Backups = &jobs.IBQuery_Backups;
        context.watch = watch.get();
    }
    // An archiver ("arj" in a folder of its own) that appends `blocks` blocks of
    // 64 KB to its archive, pausing between them, then ends with `code`.
    void archiver(const QString &name, int blocks, double pause, int code) {
        const QString path =
            local.write(name + "/arj", QStringLiteral("#!/bin/sh\n"
                                                      "for i in $(seq %1); do head -c 65536 "
                                                      "/dev/urandom >> \"$2\"; sleep %2; done\n"
                                                      "exit %3\n")
                                           .arg(blocks)
                                           .arg(pause)
                                           .arg(code)
                                           .toUtf8());
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        set("UTILITARIO", path);
        set("PARAMETROS", "a");
        dm->IBTransaction1->commitRetaining();
    }
    void runToTheEnd() {
        QSignalSpy ended(watch.get(), &backup::ArchiverWatch::runEnded);
        backup::runArchive(context, 7);
        ASSERT_TRUE(!ended.isEmpty() || ended.wait(30000));
    }
    void sendNow() {
        jobs.IBQuery_Backups.close();
        jobs.IBQuery_Backups.open();
        upload->uploadSelectedJob();
    }
    QByteArray localFile(const QString &name) const {
        QFile f(folder + "/" + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    std::unique_ptr<backup::ArchiverWatch> watch;
    backup::ArchiveRunContext context;
    QString folder;
};

} // namespace

TEST_F(ArchiveUploadTest, AnArchiveStillBeingWrittenIsSentWholeOnlyAfterItsRunEnds) {
    archiver("lento", 20, 0.1, 0);
    QSignalSpy ended(watch.get(), &backup::ArchiverWatch::runEnded);
    backup::runArchive(context, 7);
    ASSERT_TRUE(watch->running(7));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !localFile("backup.arj").isEmpty(); }, 10000));

    sendNow();
    // Recorded without a balloon; the job stays due and nothing reached the server.
    EXPECT_EQ(lastErr(), stamp() + " - arquivo ainda em geração");
    EXPECT_EQ(ftpData(), QDate(2026, 12, 1));
    EXPECT_TRUE(tray.balloons().isEmpty());
    EXPECT_TRUE(remoteNames().isEmpty());
    expectRestored();

    // Another workstation reads the same from the job's columns alone.
    EXPECT_EQ(backup::ReadArchiveReadiness(dm->IBDatabase1, 7, nullptr),
              backup::ArchiveReadiness::InProgress);

    ASSERT_TRUE(ended.wait(30000));
    sendNow();
    EXPECT_EQ(localFile("backup.arj").size(), 20 * 65536);
    EXPECT_EQ(QFileInfo(ftpRoot->file(remote + "/backup.arj")).size(), 20 * 65536);
    EXPECT_EQ(remoteFile("backup.arj"), localFile("backup.arj"));
    EXPECT_EQ(ftpData(), QDate(2026, 12, 9)); // sent, as a second upload
    EXPECT_EQ(column("FTP_LASTSEND").toDateTime(), Now0);
}

TEST_F(ArchiveUploadTest, AFailedRunIsNotSentOverTheGoodCopyAndAWarningIsSent) {
    struct Case {
        int code;
        bool sent;
    };
    for (const Case &c : {Case{2, false}, Case{1, true}}) {
        SCOPED_TRACE(c.code);
        db::ExecSQL(dm->IBDatabase1, "update BACKUPS set FTP_DATA='1-DEC-2026', FTP_LASTSEND=null, "
                                     "FTP_LASTERR=null where ID=7");
        local.write("good.arj", "a good copy");
        QFile::remove(ftpRoot->file(remote + "/backup.arj"));
        QFile::copy(local.file("good.arj"), ftpRoot->file(remote + "/backup.arj"));
        archiver("code" + QString::number(c.code), 2, 0, c.code);
        runToTheEnd();
        sendNow();
        if (c.sent) {
            EXPECT_EQ(remoteFile("backup.arj"), localFile("backup.arj"));
            EXPECT_EQ(ftpData(), QDate(2026, 12, 9));
        } else {
            EXPECT_EQ(remoteFile("backup.arj"), "a good copy");
            EXPECT_EQ(lastErr(), stamp() + " - último backup falhou");
            EXPECT_EQ(ftpData(), QDate(2026, 12, 1));
            ASSERT_GE(tray.balloons().size(), 2);
            EXPECT_EQ(tray.balloons().at(tray.balloons().size() - 2).title, "Erro no backup");
            EXPECT_EQ(tray.balloons().last().title, "Erro de envio por FTP");
            EXPECT_EQ(tray.balloons().last().text, "último backup falhou");
        }
    }
}

TEST_F(ArchiveUploadTest, ASevenZipJobIsArchivedAndSentAsSevenZ) {
    if (!QFileInfo::exists("/usr/bin/7zz"))
        GTEST_SKIP() << "7zz is not installed";
    local.write("fontes/a.dbf", content(100000, 'a'));
    db::ExecSQL(dm->IBDatabase1, "insert into ARQUIVOS (ID, BACKUP, PASTA, ARQUIVOS, SUBFOLDER) "
                                 "values (1, 7, '" +
                                     local.file("fontes") + "', '*.dbf', 1)");
    dm->IBTransaction1->commitRetaining();
    set("UTILITARIO", "/usr/bin/7zz");
    set("PARAMETROS", "a -r");
    dm->IBTransaction1->commitRetaining();
    runToTheEnd();
    sendNow();
    ASSERT_FALSE(localFile("backup.7z").isEmpty());
    EXPECT_EQ(remoteNames(), QStringList{"backup.7z"});
    EXPECT_EQ(remoteFile("backup.7z"), localFile("backup.7z"));
    expectSent();
    db::ExecSQL(dm->IBDatabase1, "delete from ARQUIVOS");
    dm->IBTransaction1->commitRetaining();
}
