#include "backup/backupfolder.h"

#include "support/tempdir.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace bkp;
using namespace bkp::backup;

TEST(BackupFolder, AJobFolderLiesBelowBackupsAndEndsInTheJobName) {
    EXPECT_EQ(BackupFolderFor("DIARIO", "/dados"), "/dados/BACKUPS/DIARIO");
    EXPECT_EQ(BackupFolderFor(" DIARIO ", " /dados/backups/diario/ "), "/dados/backups/diario");
    EXPECT_EQ(BackupFolderFor("DIARIO", "/backupsx"), "/backupsx/BACKUPS/DIARIO");
    // An empty folder lands at the root.
    EXPECT_EQ(BackupFolderFor("DIARIO", ""), "/BACKUPS/DIARIO");
    // A new name nests the new folder in the old one.
    EXPECT_EQ(BackupFolderFor("SEMANAL", "/dados/BACKUPS/DIARIO"), "/dados/BACKUPS/DIARIO/SEMANAL");
    // Without a name the separator JoinPath leaves stays.
    EXPECT_EQ(BackupFolderFor("", "/dados"), "/dados/BACKUPS/");
    EXPECT_EQ(BackupFolderFor("diario", "/dados/BACKUPS"), "/dados/BACKUPS/diario");

    // Its own results come back unchanged.
    for (const char *folder :
         {"/dados", "/backupsx", "/x/Backups/y", "", "/dados/BACKUPS/DIARIO"}) {
        const QString once = BackupFolderFor("DIARIO", folder);
        EXPECT_EQ(BackupFolderFor("DIARIO", once), once) << folder;
    }
}

TEST(BackupFolder, SetPathBackupCreatesTheFolderAndFindsItAgainInAnyLetterCase) {
    test::TempDir dir;
    const QString folder = SetPathBackup("DIARIO", dir.file("dados"));
    EXPECT_EQ(folder, dir.file("dados/BACKUPS/DIARIO"));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    // Typed again in lower case, the stored folder is the one already there.
    EXPECT_EQ(SetPathBackup("diario", dir.file("dados/backups/diario")),
              dir.file("dados/backups/diario"));
    EXPECT_EQ(QDir(dir.file("dados")).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList{"BACKUPS"});
    EXPECT_EQ(QDir(dir.file("dados/BACKUPS")).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList{"DIARIO"});
}

TEST(BackupFolder, SetFolderBackupAddsOneBackupsLevelOnlyWhenTheTextHasNone) {
    test::TempDir dir;
    QDir().mkpath(dir.file("dados/BACKUPS/DIARIO"));
    const QString base = dir.path();

    EXPECT_EQ(SetFolderBackup(base + "/dados/BACKUPS/DIARIO"), base + "/dados/BACKUPS/DIARIO/");
    EXPECT_EQ(SetFolderBackup(base + "/dados/BACKUPS/DIARIO/"), base + "/dados/BACKUPS/DIARIO/");
    EXPECT_EQ(
        QDir(dir.file("dados/BACKUPS/DIARIO")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
        QStringList());

    QDir().mkpath(dir.file("temp"));
    EXPECT_EQ(SetFolderBackup(base + "/temp"), base + "/temp/Backups/");
    EXPECT_TRUE(QFileInfo(dir.file("temp/Backups")).isDir());
    // "MYBACKUPS" has no "/BACKUPS" in it; "backupsold" does.
    QDir().mkpath(dir.file("mybackups"));
    EXPECT_EQ(SetFolderBackup(base + "/mybackups"), base + "/mybackups/Backups/");
    EXPECT_TRUE(QFileInfo(dir.file("mybackups/Backups")).isDir());
    EXPECT_EQ(SetFolderBackup(base + "/backupsold"), base + "/backupsold/");
    EXPECT_FALSE(QFileInfo::exists(dir.file("backupsold")));
    // Only one level is made: a missing parent means nothing is created.
    EXPECT_EQ(SetFolderBackup(base + "/nada/x"), base + "/nada/x/Backups/");
    EXPECT_FALSE(QFileInfo::exists(dir.file("nada")));
}

TEST(BackupFolder, LowerCasingEitherOnlyAToZOrEveryCapital) {
    const QString text = QString::fromUtf8("/DADOS/AÇÃO/Março É X");
    EXPECT_EQ(LowerCaseAZ(text), QString::fromUtf8("/dados/aÇÃo/março É x"));
    EXPECT_EQ(AnsiLowerCase(text), QString::fromUtf8("/dados/ação/março é x"));
    EXPECT_EQ(AnsiLowerCase(text).size(), text.size());
}
