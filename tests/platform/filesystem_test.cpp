#include "platform/filesystem.h"

#include "support/tempdir.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <gtest/gtest.h>

#include "support/printers.h"

namespace fs = bkp::platform::fs;
using bkp::platform::FileEntry;
using bkp::test::TempDir;
namespace attr = bkp::platform;

namespace {

// Changes the current folder for one test.
class CurrentFolder {
public:
    explicit CurrentFolder(const QString &path) : m_saved(QDir::currentPath()) {
        QDir::setCurrent(path);
    }
    ~CurrentFolder() { QDir::setCurrent(m_saved); }

private:
    QString m_saved;
};

QStringList names(const QList<FileEntry> &entries) {
    QStringList out;
    for (const FileEntry &e : entries)
        out.append(e.name);
    return out;
}

} // namespace

TEST(FileSystem, PathsInAnotherLetterCaseReachWhatExists) {
    TempDir dir;
    const QString archive = dir.write("dados/Backups/Diario/diario.rar", "RAR");
    const QString base = dir.path();

    EXPECT_EQ(fs::resolve(base + "/DADOS/BACKUPS/DIARIO/DIARIO.RAR"), archive);
    EXPECT_EQ(fs::resolve(base + "/dados/backups/diario/"), base + "/dados/Backups/Diario/");
    EXPECT_TRUE(fs::fileExists(base + "/Dados/BACKUPS/diario/Diario.RAR"));
    EXPECT_FALSE(fs::fileExists(base + "/DADOS/BACKUPS/DIARIO"));
    EXPECT_TRUE(fs::folderExists(base + "/DADOS/BACKUPS/DIARIO"));
    EXPECT_FALSE(fs::folderExists(base + "/DADOS/BACKUPS/DIARIO/DIARIO.RAR"));
    EXPECT_EQ(fs::fileSize(base + "/DADOS/BACKUPS/DIARIO/DIARIO.RAR"), 3);

    // A name that does not exist yet is kept as given, and so is all that follows it.
    EXPECT_EQ(fs::resolve(base + "/DADOS/BACKUPS/Semanal/SEG.RAR"),
              base + "/dados/Backups/Semanal/SEG.RAR");
    EXPECT_EQ(fs::resolve(base + "/DADOS/NOVA/BACKUPS/x.rar"), base + "/dados/NOVA/BACKUPS/x.rar");
    EXPECT_EQ(fs::resolve(base + "/DADOS/BACKUPS/*.RAR"), base + "/dados/Backups/*.RAR");
    EXPECT_FALSE(fs::fileExists(base + "/DADOS/NOVA/x.rar"));
    EXPECT_EQ(fs::fileSize(base + "/DADOS/NOVA/x.rar"), -1);
    EXPECT_FALSE(fs::lastWriteTime(base + "/DADOS/NOVA/x.rar").isValid());

    // Relative paths resolve from the current folder and stay relative.
    CurrentFolder here(base);
    EXPECT_EQ(fs::resolve("DADOS/BACKUPS/../backups/DIARIO"), "dados/Backups/../Backups/Diario");
    EXPECT_TRUE(fs::fileExists("./DADOS/backups/diario/DIARIO.rar"));
}

TEST(FileSystem, SeveralMatchesPreferTheExactName) {
    TempDir dir;
    dir.write("Abc/x");
    dir.write("abc/x");
    dir.write("ABC/x");
    EXPECT_EQ(fs::resolve(dir.file("abc")), dir.file("abc"));
    EXPECT_EQ(fs::resolve(dir.file("Abc")), dir.file("Abc"));
    // None exact: always the same one (the first in name order), whatever the folder's order.
    EXPECT_EQ(fs::resolve(dir.file("aBC/X")), dir.file("ABC/x"));
}

TEST(FileSystem, ListingByMaskIgnoresCaseAndSkipsFolders) {
    TempDir dir;
    dir.write("Dados/a.RAR", "12345");
    dir.write("Dados/b.rar", "1");
    dir.write("Dados/c.zip");
    dir.write("Dados/.oculto.rar");
    dir.write("Dados/rar");
    dir.write("Dados/pasta.rar/dentro.rar");
    const QString ro = dir.write("Dados/ro.Rar");
    QFile::setPermissions(ro, QFile::ReadOwner | QFile::ReadGroup);
    const QDateTime stamp(QDate(2026, 9, 4), QTime(20, 5, 0));
    {
        QFile f(dir.file("Dados/a.RAR"));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(stamp, QFileDevice::FileModificationTime));
    }

    const QList<FileEntry> list = fs::listFiles(dir.path() + "/DADOS/*.rar");
    const QStringList listed = names(list);
    EXPECT_EQ(QSet<QString>(listed.begin(), listed.end()),
              QSet<QString>({"a.RAR", "b.rar", ".oculto.rar", "ro.Rar"}));

    // In the order the file system gives them.
    QStringList expectedOrder;
    QDirIterator it(dir.file("Dados"), QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        const QString name = QFileInfo(it.next()).fileName();
        if (name.endsWith(".rar", Qt::CaseInsensitive))
            expectedOrder.append(name);
    }
    EXPECT_EQ(names(list), expectedOrder);

    for (const FileEntry &e : list) {
        SCOPED_TRACE(e.name.toStdString());
        if (e.name == "a.RAR") {
            EXPECT_EQ(e.size, 5);
            EXPECT_EQ(e.lastWrite, stamp);
            EXPECT_EQ(e.attributes, unsigned(attr::faArchive));
        } else if (e.name == ".oculto.rar") {
            EXPECT_EQ(e.attributes, unsigned(attr::faArchive | attr::faHidden));
        } else if (e.name == "ro.Rar") {
            EXPECT_EQ(e.attributes, unsigned(attr::faArchive | attr::faReadOnly));
        }
    }

    // "*.*" takes every file, also names without a dot; "?" one character.
    EXPECT_EQ(fs::listFiles(dir.path() + "/dados/*.*").size(), 6);
    EXPECT_EQ(names(fs::listFiles(dir.path() + "/dados/?.zip")), QStringList({"c.zip"}));
    EXPECT_EQ(names(fs::listFiles(dir.path() + "/dados/RAR")), QStringList({"rar"}));

    // No folder in the mask: the current folder.
    {
        CurrentFolder here(dir.file("Dados"));
        EXPECT_EQ(names(fs::listFiles("*.ZIP")), QStringList({"c.zip"}));
    }
    EXPECT_TRUE(fs::listFiles(dir.path() + "/nao existe/*.rar").isEmpty());
    EXPECT_TRUE(fs::listFiles(dir.path() + "/Dados/c.zip/*.*").isEmpty());
    EXPECT_TRUE(fs::listFiles(dir.path() + "/Dados/").isEmpty());
}

TEST(FileSystem, MasksMatchLikeTheDesktop) {
    EXPECT_TRUE(fs::matchesMask("DIARIO.RAR", "*.rar"));
    EXPECT_TRUE(fs::matchesMask("diario.rar", "DIARIO.*"));
    EXPECT_TRUE(fs::matchesMask("diario", "DIARIO.*"));
    EXPECT_TRUE(fs::matchesMask("semanal_07.rar", "semanal_??.rar"));
    EXPECT_FALSE(fs::matchesMask("semanal_7.rar", "semanal_??.rar"));
    EXPECT_TRUE(fs::matchesMask("a.b.c", "*.c"));
    EXPECT_TRUE(fs::matchesMask("Ação.DBF", "AÇÃO.dbf"));
    EXPECT_FALSE(fs::matchesMask("diario.rar.bak", "*.rar"));
    EXPECT_FALSE(fs::matchesMask("x.rar", ""));
    EXPECT_TRUE(fs::matchesMask("anything", "*"));
}

TEST(FileSystem, DeleteRenameAndCreateResolveTheirPaths) {
    TempDir dir;
    dir.write("Dados/Backups/diario.rar", "new");
    dir.write("Dados/Backups/Sabado.rar", "old");
    const QString backups = dir.path() + "/DADOS/BACKUPS/";

    // The rename fails when the target exists (in any letter case).
    EXPECT_FALSE(fs::renameFile(backups + "DIARIO.RAR", backups + "SABADO.RAR"));
    EXPECT_EQ(dir.read("Dados/Backups/Sabado.rar"), "old");
    EXPECT_TRUE(fs::deleteFile(backups + "sabado.rar"));
    EXPECT_FALSE(fs::deleteFile(backups + "sabado.rar"));
    EXPECT_TRUE(fs::renameFile(backups + "DIARIO.RAR", backups + "Sabado.rar"));
    EXPECT_EQ(dir.read("Dados/Backups/Sabado.rar"), "new");
    EXPECT_FALSE(fs::fileExists(backups + "diario.rar"));
    EXPECT_FALSE(fs::renameFile(backups + "nada.rar", backups + "outro.rar"));
    // Only the letter case changes: the file takes the new spelling.
    EXPECT_TRUE(fs::renameFile(backups + "sabado.rar", backups + "SABADO.RAR"));
    EXPECT_EQ(dir.read("Dados/Backups/SABADO.RAR"), "new");
    EXPECT_FALSE(QFileInfo::exists(dir.file("Dados/Backups/Sabado.rar")));

    // One level at a time; the new name as given below the resolved parent.
    EXPECT_TRUE(fs::createFolder(dir.path() + "/DADOS/BACKUPS/Mensal"));
    EXPECT_TRUE(QFileInfo(dir.file("Dados/Backups/Mensal")).isDir());
    EXPECT_FALSE(fs::createFolder(dir.path() + "/dados/backups/MENSAL"));
    EXPECT_FALSE(fs::createFolder(dir.path() + "/Novo/Sub"));
    EXPECT_FALSE(fs::deleteFile(dir.path() + "/dados/backups/mensal"));
    EXPECT_TRUE(QFileInfo(dir.file("Dados/Backups/Mensal")).isDir());
}

TEST(FileSystem, ProgramAndPathParts) {
    EXPECT_EQ(fs::programPath(), QCoreApplication::applicationFilePath());
    EXPECT_EQ(fs::programFolder(), QCoreApplication::applicationDirPath());
    EXPECT_EQ(fs::currentFolder(), QDir::currentPath());
    EXPECT_EQ(fs::separator(), QChar('/'));

    EXPECT_EQ(fs::extractFilePath("/srv/dados/BKPZELTO.FB"), "/srv/dados");
    EXPECT_EQ(fs::extractFileName("/srv/dados/BKPZELTO.FB"), "BKPZELTO.FB");
    EXPECT_EQ(fs::extractFilePath("/srv/dados/"), "/srv/dados");
    EXPECT_EQ(fs::extractFileName("/srv/dados/"), "");
    EXPECT_EQ(fs::extractFilePath("/bkpzelto"), "/");
    EXPECT_EQ(fs::extractFilePath("bkpzelto.Ini"), "");
    EXPECT_EQ(fs::extractFileName("bkpzelto.Ini"), "bkpzelto.Ini");
    // The extension belongs to the name part only.
    EXPECT_EQ(fs::extractFileExt("/srv/v1.2/backup"), "");
    EXPECT_EQ(fs::extractFileExt("/srv/backup.tar.rar"), ".rar");
    EXPECT_EQ(fs::changeFileExt("/srv/v1.2/backup", ".zip"), "/srv/v1.2/backup.zip");
    EXPECT_EQ(fs::changeFileExt("/srv/backup.rar", ".tmp"), "/srv/backup.tmp");
    // '\' is an ordinary character in names here.
    EXPECT_EQ(fs::extractFileName("/tmp/c:\\dados\\x.rar"), "c:\\dados\\x.rar");
}
