#include "backup/archiverun.h"
#include "backup/folderlist.h"
#include "backup/localfolderview.h"

#include "db/query.h"
#include "support/firebird.h"
#include "support/tempdir.h"

#include <QCoreApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QProcess>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "support/printers.h"

using namespace bkp;
using namespace bkp::backup;

namespace {

TDateTime at(int y, int m, int d, int h = 0, int min = 0) {
    return FromQDateTime(QDateTime(QDate(y, m, d), QTime(h, min)));
}

// Writes a file of `size` bytes with that last-write time.
void writeFile(const test::TempDir &dir, const QString &name, int size, const QDateTime &written) {
    const QString path = dir.write(name, QByteArray(size, 'x'));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(written, QFileDevice::FileModificationTime));
}

QStringList column(const QTreeWidget *list, int c) {
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts.append(list->topLevelItem(i)->text(c));
    return texts;
}

void clickHeader(QTreeWidget *list, int section) {
    QHeaderView *header = list->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(section) + 10, header->height() / 2));
}

// A job folder with three archives, a text file, an archive of another kind and a
// folder whose name looks like an archive.
struct ArchiveFolder {
    test::TempDir dir;
    QString stored; // as BACKUPFOLDER holds it
    ArchiveFolder() {
        writeFile(dir, "dados/BACKUPS/DIARIO/diario.rar", 1234,
                  QDateTime(QDate(2026, 9, 4), QTime(20, 5)));
        writeFile(dir, "dados/BACKUPS/DIARIO/Sexta.RAR", 10,
                  QDateTime(QDate(2026, 8, 28), QTime(9, 0)));
        writeFile(dir, "dados/BACKUPS/DIARIO/Anual001.rar", 9000,
                  QDateTime(QDate(2025, 1, 1), QTime(23, 0)));
        writeFile(dir, "dados/BACKUPS/DIARIO/leia.txt", 5,
                  QDateTime(QDate(2026, 9, 5), QTime(8, 0)));
        writeFile(dir, "dados/BACKUPS/DIARIO/diario.arj", 5,
                  QDateTime(QDate(2026, 9, 5), QTime(8, 0)));
        writeFile(dir, "dados/BACKUPS/DIARIO/Sexta.7z", 7,
                  QDateTime(QDate(2026, 9, 4), QTime(8, 0)));
        writeFile(dir, "dados/BACKUPS/DIARIO/Domingo", 3,
                  QDateTime(QDate(2026, 9, 6), QTime(8, 0)));
        QDir().mkpath(dir.file("dados/BACKUPS/DIARIO/pasta.rar"));
        stored = dir.path() + "/dados/BACKUPS/DIARIO";
    }
};

} // namespace

TEST(FolderSort, TheSameColumnInvertsAndAnotherKeepsTheDirection) {
    FolderSortState s;
    EXPECT_EQ(s.column, 0);
    EXPECT_FALSE(s.ascending);
    s.columnClicked(2);
    EXPECT_EQ(s.column, 2);
    EXPECT_FALSE(s.ascending);
    s.columnClicked(2);
    EXPECT_TRUE(s.ascending);
    s.columnClicked(0);
    EXPECT_EQ(s.column, 0);
    EXPECT_TRUE(s.ascending);
}

TEST(FolderSort, NamesIgnoreCaseSizesAreTextsAndDatesAreChronological) {
    EXPECT_LT(CompareFolderRows({"abc.rar"}, {"ABD.rar"}, 0, true), 0);
    EXPECT_GT(CompareFolderRows({"abc.rar"}, {"ABD.rar"}, 0, false), 0);
    EXPECT_EQ(CompareFolderRows({"Sexta.RAR"}, {"sexta.rar"}, 0, true), 0);
    // Sizes sort as texts, whatever the separator.
    EXPECT_LT(CompareFolderRows({"a", "10.000"}, {"b", "9.000"}, 1, true), 0);
    EXPECT_LT(CompareFolderRows({"a", "1,234"}, {"b", "987"}, 1, true), 0);
    // Dates as the list writes them, and as the remote listing writes them.
    const QString earlier = DateTimeToStr(at(2026, 9, 4, 20, 5));
    const QString later = DateTimeToStr(at(2026, 9, 10, 8, 0));
    EXPECT_LT(CompareFolderRows({"a", "", earlier}, {"b", "", later}, 2, true), 0);
    EXPECT_GT(CompareFolderRows({"a", "", earlier}, {"b", "", later}, 2, false), 0);
    EXPECT_GT(CompareFolderRows({"a", "", "07/12/2026 14:05"}, {"b", "", "15/01/2025"}, 2, true),
              0);
    EXPECT_LT(CompareFolderRows({"a", "", "10/01/2026"}, {"b", "", "09/02/2026"}, 2, true), 0);
    // A text that is no date compares as text instead of failing.
    EXPECT_LT(CompareFolderRows({"a", "", "1/x"}, {"b", "", "2/y"}, 2, true), 0);
    // A row without that column counts as empty.
    EXPECT_LT(CompareFolderRows({"a"}, {"b", "x"}, 1, true), 0);

    TDateTime v = 0;
    ASSERT_TRUE(ReadFolderDate(later, v));
    EXPECT_EQ(ToQDateTime(v), QDateTime(QDate(2026, 9, 10), QTime(8, 0)));
    ASSERT_TRUE(ReadFolderDate("07/12/2026 14:05", v));
    EXPECT_EQ(ToQDateTime(v), QDateTime(QDate(2026, 12, 7), QTime(14, 5)));
    EXPECT_FALSE(ReadFolderDate("backup.rar", v));
    EXPECT_FALSE(ReadFolderDate("", v));
}

TEST(FolderSort, SortingKeepsEqualRowsInOrderAndTheCurrentRow) {
    QTreeWidget list;
    list.setColumnCount(3);
    for (const char *name : {"b", "A", "a", "c", "B"})
        new QTreeWidgetItem(&list, QStringList{name, "", ""});
    list.setCurrentItem(list.topLevelItem(3)); // "c"
    SortFolderList(&list, 0, true);
    EXPECT_EQ(column(&list, 0), QStringList({"A", "a", "b", "B", "c"}));
    EXPECT_EQ(list.currentItem()->text(0), "c");
    SortFolderList(&list, 0, false);
    EXPECT_EQ(column(&list, 0), QStringList({"c", "b", "B", "A", "a"}));
}

TEST(LocalFolder, ListsTheArchivesOfTheJobsOwnExtension) {
    ArchiveFolder f;
    const QList<QPair<QString, QStringList>> cases = {
        {"/usr/bin/rar", {"Anual001.rar", "Sexta.RAR", "diario.rar"}},
        {"/usr/bin/7zz", {"Sexta.7z"}},
        {"/usr/bin/7za", {"Sexta.7z"}},
        {"/usr/bin/arj", {"diario.arj"}},
        {"/usr/bin/zip", {}},
        {"/opt/tar", {"Domingo"}}, // an archiver outside the table: names without extension
    };
    for (const auto &[archiver, names] : cases) {
        QStringList listed;
        for (const FolderRow &row : LocalFolderRows(f.stored, ArchiveExtension(archiver)))
            listed << row.name;
        listed.sort();
        EXPECT_EQ(listed, names) << archiver.toStdString();
    }
}

TEST(LocalFolder, ListsOnlyTheRarArchivesWithTheirSizesAndDates) {
    ArchiveFolder f;
    QList<FolderRow> rows =
        LocalFolderRows(f.stored.toUpper().replace(f.dir.path().toUpper(), f.dir.path()));
    ASSERT_EQ(rows.size(), 3);
    std::sort(rows.begin(), rows.end(),
              [](const FolderRow &a, const FolderRow &b) { return a.name < b.name; });
    EXPECT_EQ(rows[0].name, "Anual001.rar");
    EXPECT_EQ(rows[1].name, "Sexta.RAR");
    EXPECT_EQ(rows[2].name, "diario.rar");
    EXPECT_EQ(rows[2].size, FormatFileSize(1234));
    EXPECT_EQ(rows[2].date, DateTimeToStr(at(2026, 9, 4, 20, 5)));
    EXPECT_TRUE(LocalFolderRows(f.dir.file("nada")).isEmpty());
    EXPECT_TRUE(LocalFolderRows("").isEmpty());
    // A C locale gives the Brazilian separators.
    if (QLocale::system().language() == QLocale::C) {
        EXPECT_EQ(FormatFileSize(1234567), "1.234.567");
    }
    EXPECT_EQ(FolderCaption("/Dados/BACKUPS/DIARIO"), "/dados/backups/diario");
}

TEST(LocalFolder, TheViewIsBuiltAsTheWindowShowsIt) {
    LocalFolderView view;
    view.resize(500, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_EQ(view.Panel_Pasta->height(), 40);
    EXPECT_EQ(view.Panel_Pasta->palette().color(QPalette::Window), QColor(64, 128, 128));
    EXPECT_EQ(view.Panel_Pasta->palette().color(QPalette::WindowText), QColor(Qt::yellow));
    EXPECT_EQ(view.Panel_Pasta->font().pixelSize(), 19);
    EXPECT_TRUE(view.Panel_Pasta->alignment() & Qt::AlignLeft);
    EXPECT_EQ(view.SpeedButton_RefreshFolder->toolTip(), "Atualiza lista de backups");
    EXPECT_TRUE(view.SpeedButton_RefreshFolder->autoRaise());
    // At the right end of the bar.
    const QRect button = view.SpeedButton_RefreshFolder->geometry();
    EXPECT_GT(button.left(), view.Panel_Pasta->width() / 2);
    EXPECT_GE(button.right(), view.Panel_Pasta->width() - 10);
    QTreeWidget *list = view.ListView_Pasta;
    EXPECT_EQ(list->columnCount(), 3);
    EXPECT_EQ(list->headerItem()->text(0), "Arquivo");
    EXPECT_EQ(list->headerItem()->text(1), "Tamanho");
    EXPECT_EQ(list->headerItem()->text(2), "Data");
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(list->columnWidth(c), 120);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
}

TEST(LocalFolder, RefreshListsNewestFirstAndHeaderClicksShareOneSortState) {
    ArchiveFolder f;
    FolderSortState shared;
    LocalFolderView view(&shared);
    view.resize(500, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QTreeWidget *list = view.ListView_Pasta;

    view.RefreshFolder(f.stored);
    EXPECT_EQ(view.Panel_Pasta->text(), f.stored.toLower());
    EXPECT_EQ(column(list, 0), QStringList({"diario.rar", "Sexta.RAR", "Anual001.rar"}));
    EXPECT_EQ(column(list, 1)[0], FormatFileSize(1234));
    // Date and time shown whole in this desktop's font, never narrower than set.
    for (int c = 0; c < 3; ++c) {
        EXPECT_GE(list->columnWidth(c), 120);
        EXPECT_GT(list->columnWidth(c),
                  list->fontMetrics().horizontalAdvance(list->topLevelItem(0)->text(c)));
    }
    EXPECT_EQ(shared.column, 0);
    EXPECT_FALSE(shared.ascending);

    // The remembered column is still 0: the first click on "Data" keeps newest first.
    clickHeader(list, 2);
    EXPECT_EQ(column(list, 0), QStringList({"diario.rar", "Sexta.RAR", "Anual001.rar"}));
    clickHeader(list, 2);
    EXPECT_EQ(column(list, 0), QStringList({"Anual001.rar", "Sexta.RAR", "diario.rar"}));
    EXPECT_TRUE(shared.ascending);
    clickHeader(list, 0);
    EXPECT_EQ(column(list, 0), QStringList({"Anual001.rar", "diario.rar", "Sexta.RAR"}));
    // The size column sorts as text: 1,234 before 10 before 9,000.
    clickHeader(list, 1);
    EXPECT_EQ(column(list, 0), QStringList({"diario.rar", "Sexta.RAR", "Anual001.rar"}));
    clickHeader(list, 1);
    EXPECT_EQ(column(list, 0), QStringList({"Anual001.rar", "Sexta.RAR", "diario.rar"}));
    clickHeader(list, 0);

    // A click on "Arquivo" in the remote list, then in this one: the order turns twice.
    QTreeWidget remote;
    SetupFolderList(&remote);
    EXPECT_EQ(remote.headerItem()->text(2), "Data");
    EXPECT_EQ(remote.columnWidth(2), 120);
    for (const char *name : {"b.rar", "a.rar"})
        new QTreeWidgetItem(&remote, QStringList{name, "1", "15/01/2025"});
    connectFolderSorting(&remote, shared);
    remote.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&remote));
    const bool before = shared.ascending;
    clickHeader(&remote, 0);
    EXPECT_NE(shared.ascending, before);
    EXPECT_EQ(column(&remote, 0),
              shared.ascending ? QStringList({"a.rar", "b.rar"}) : QStringList({"b.rar", "a.rar"}));
    clickHeader(list, 0);
    EXPECT_EQ(shared.ascending, before);
    EXPECT_EQ(column(list, 0).first(), before ? "Anual001.rar" : "Sexta.RAR");

    // A refresh comes back to newest first and keeps the remembered column.
    view.RefreshFolder(f.stored);
    EXPECT_EQ(column(list, 0), QStringList({"diario.rar", "Sexta.RAR", "Anual001.rar"}));
    EXPECT_FALSE(shared.ascending);
    EXPECT_EQ(shared.column, 0);

    view.RefreshFolder(f.dir.file("nada"));
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_EQ(view.Panel_Pasta->text(), f.dir.file("nada").toLower());
}

TEST(LocalFolder, TheRefreshButtonListsTheFolderOfTheCurrentJob) {
    ASSERT_TRUE(test::serverAnswers()) << "the tests start a Firebird server on 3050";
    ArchiveFolder f;
    ArchiveFolder other;
    test::TempDir dbDir;
    test::TestDatabase fdb(dbDir.file("jobs.fdb"));
    db::Query jobs;
    db::UpdateSQL update;
    test::openKeyedTable(
        fdb.get(),
        "create table BACKUPS (ID integer not null primary key, BACKUPFOLDER varchar(50), "
        "UTILITARIO varchar(50))",
        {"insert into BACKUPS values (1, '" + f.stored + "', '/usr/bin/rar')",
         "insert into BACKUPS values (2, '" + other.dir.path() + "/vazio', '/usr/bin/rar')",
         "insert into BACKUPS values (3, '" + f.stored + "', '/usr/bin/7zz')"},
        "BACKUPS", {"ID", "BACKUPFOLDER", "UTILITARIO"}, jobs, update);
    LocalFolderView view;
    view.setJobList(&jobs);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QTest::mouseClick(view.SpeedButton_RefreshFolder, Qt::LeftButton);
    EXPECT_EQ(view.ListView_Pasta->topLevelItemCount(), 3);
    EXPECT_EQ(view.Panel_Pasta->text(), f.stored.toLower());
    jobs.next();
    QTest::mouseClick(view.SpeedButton_RefreshFolder, Qt::LeftButton);
    EXPECT_EQ(view.ListView_Pasta->topLevelItemCount(), 0);
    EXPECT_EQ(view.Panel_Pasta->text(), (other.dir.path() + "/vazio").toLower());
    // A 7-Zip job shows its ".7z" archives; the end of a run of another job leaves
    // the list alone, one of this job reads it again.
    jobs.next();
    view.runEnded(3);
    EXPECT_EQ(column(view.ListView_Pasta, 0), QStringList{"Sexta.7z"});
    f.dir.write("dados/BACKUPS/DIARIO/diario.7z", "new");
    view.runEnded(1);
    EXPECT_EQ(view.ListView_Pasta->topLevelItemCount(), 1);
    view.runEnded(3);
    EXPECT_EQ(view.ListView_Pasta->topLevelItemCount(), 2);
    jobs.close();
    view.RefreshFolder();
    EXPECT_EQ(view.ListView_Pasta->topLevelItemCount(), 0);
    EXPECT_TRUE(view.Panel_Pasta->text().isEmpty());
}

// The user's formats: this binary runs the Portuguese test below in a child with
// a Portuguese locale.
TEST(LocalFolder, FollowsTheUsersLocale) {
    if (QLocale::system().name() == "pt_BR")
        GTEST_SKIP() << "this is the child";
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "pt_BR.UTF-8");
    env.insert("LANG", "pt_BR.UTF-8");
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=LocalFolderInPortuguese.*"});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString out = QString::fromUtf8(child.readAllStandardOutput());
    EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << out.toStdString();
}

TEST(LocalFolderInPortuguese, SizesWithDotsDatesDayFirst) {
    if (QLocale::system().name() != "pt_BR")
        GTEST_SKIP() << "runs in a child with a Portuguese locale";
    EXPECT_EQ(FormatFileSize(1048576), "1.048.576");
    EXPECT_EQ(DateTimeToStr(at(2026, 9, 4, 20, 5)), "04/09/2026 20:05:00");
    ArchiveFolder f;
    LocalFolderView view;
    view.RefreshFolder(f.stored);
    QTreeWidget *list = view.ListView_Pasta;
    EXPECT_EQ(column(list, 0), QStringList({"diario.rar", "Sexta.RAR", "Anual001.rar"}));
    EXPECT_EQ(column(list, 1), QStringList({"1.234", "10", "9.000"}));
    EXPECT_EQ(column(list, 2),
              QStringList({"04/09/2026 20:05:00", "28/08/2026 09:00:00", "01/01/2025 23:00:00"}));
    // 10.000 comes before 9.000 ascending.
    EXPECT_LT(CompareFolderRows({"a", "10.000"}, {"b", "9.000"}, 1, true), 0);
    view.ListView_PastaColumnClick(1);
    view.ListView_PastaColumnClick(1);
    EXPECT_EQ(column(list, 1), QStringList({"1.234", "10", "9.000"}));
    // The remote listing's dates read day first.
    EXPECT_GT(CompareFolderRows({"a", "", "07/12/2026 14:05"}, {"b", "", "08/11/2026"}, 2, true),
              0);
}
