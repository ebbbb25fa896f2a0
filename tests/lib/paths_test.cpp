#include "lib/paths.h"
#include "support/tempdir.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <gtest/gtest.h>

using namespace bkp;

TEST(JoinPath, AlwaysPutsExactlyOneSeparatorBetweenTheParts) {
    EXPECT_EQ(JoinPath("C:/X//", "//y.rar", "/"), "C:/X/y.rar");
    EXPECT_EQ(JoinPath(" /dados/backups/ ", "", "/"), "/dados/backups/");
    EXPECT_EQ(JoinPath("", "X", "/"), "/X");
    EXPECT_EQ(JoinPath("", "", "/"), "/");
    EXPECT_EQ(JoinPath("  /pasta", "  *.DBF ", "/"), "/pasta/*.DBF");
    // Only the separator asked for is stripped.
    EXPECT_EQ(JoinPath("/remoto\\", "\\a", "/"), "/remoto\\/\\a");
    EXPECT_EQ(JoinPath("C:\\X\\\\", "\\\\y.rar", "\\"), "C:\\X\\y.rar");
    // A longer separator is stripped as a whole.
    EXPECT_EQ(JoinPath("a::", "::b", "::"), "a::b");
    EXPECT_EQ(JoinPath(" a ", " b ", ""), "ab");
}

TEST(LastFolderName, TakesTheLastNameUpperCasedIgnoringTrailingSeparators) {
    EXPECT_EQ(LastFolderName("/dados/kapri_10/"), "KAPRI_10");
    EXPECT_EQ(LastFolderName(" /dados/kapri_10 "), "KAPRI_10");
    EXPECT_EQ(LastFolderName("/dados/kapri_10//"), "KAPRI_10");
    EXPECT_EQ(LastFolderName("/dados/a"), "A");
    EXPECT_EQ(LastFolderName("/dados/a/"), "A");
    EXPECT_EQ(LastFolderName("kapri"), "");
    EXPECT_EQ(LastFolderName("/"), "");
    EXPECT_EQ(LastFolderName("   "), "");
}

TEST(LastFolderName, UsesTheCurrentFolderForAnEmptyPath) {
    bkp::test::TempDir dir;
    QString name = QStringLiteral("Pasta_Atual");
    ASSERT_TRUE(QDir(dir.path()).mkdir(name));
    QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.file(name)));
    QString got = LastFolderName(QString());
    QDir::setCurrent(previous);
    EXPECT_EQ(got, "PASTA_ATUAL");
}

TEST(ForceFolder, CreatesEveryLevelAndReturnsThePathUnchanged) {
    bkp::test::TempDir dir;
    const QString path = dir.path() + "/backups/empresa/diario";
    EXPECT_EQ(ForceFolder(path), path);
    EXPECT_TRUE(QFileInfo(path).isDir());

    // Existing levels and a trailing separator are no obstacle.
    const QString deeper = dir.path() + "/backups/empresa/mensal/";
    EXPECT_EQ(ForceFolder(deeper), deeper);
    EXPECT_TRUE(QFileInfo(deeper).isDir());
    EXPECT_EQ(ForceFolder(path), path);
}

TEST(ForceFolder, IgnoresFoldersThatCannotBeCreated) {
    bkp::test::TempDir dir;
    // A file stands where a folder should be: nothing can be created below it.
    const QString file = dir.write("arquivo");
    const QString path = file + "/sub/pasta";
    EXPECT_EQ(ForceFolder(path), path);
    EXPECT_FALSE(QFileInfo(path).exists());
    EXPECT_EQ(ForceFolder(QString()), QString());
}

TEST(AppSubFolder, CreatesTheFolderBelowTheProgram) {
    const QString program = platform::fs::programFolder();
    ASSERT_FALSE(program.isEmpty());
    bkp::test::TempDir marker; // a unique name, so no earlier run left it behind
    const QString unique = QFileInfo(marker.path()).fileName();
    const QString sub = unique + "/Scripts/Auto";

    const QString folder = AppSubFolder(sub);
    EXPECT_EQ(folder, program + "/" + sub);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(AppSubFolder(sub, "TfSDK.ini"), program + "/" + sub + "/TfSDK.ini");
    EXPECT_EQ(AppSubFolder(QString(), "TfSDK.ini"), program + "/TfSDK.ini");
    EXPECT_EQ(AppSubFolder(), program + "/");
    QDir(program + "/" + unique).removeRecursively();
}

TEST(ListFiles, ListsMatchingFilesWithTheirSizesAndSkipsFolders) {
    bkp::test::TempDir dir;
    dir.write("Diario.RAR", QByteArray(10, 'x'));
    dir.write("mensal.rar", QByteArray(3, 'x'));
    dir.write("notas.txt", "abc");
    QDir(dir.path()).mkdir("pasta.rar");

    QList<platform::FileEntry> entries = ListFiles(dir.path() + "/*.rar");
    QStringList names;
    for (const auto &e : entries)
        names << e.name;
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (QStringList{"Diario.RAR", "mensal.rar"}));
    for (const auto &e : entries) {
        EXPECT_EQ(e.size, e.name == "Diario.RAR" ? 10 : 3);
        EXPECT_TRUE(e.lastWrite.isValid());
        EXPECT_EQ(e.attributes & platform::faDirectory, 0u);
    }
    EXPECT_EQ(ListFiles(dir.path() + "/*.*").size(), 3);
    EXPECT_TRUE(ListFiles(dir.path() + "/nao_existe/*.rar").isEmpty());
}
