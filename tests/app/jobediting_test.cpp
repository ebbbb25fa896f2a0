#include "app/mainwindowfixture.h"
#include "backup/backupfolder.h"
#include "db/errors.h"
#include "db/query.h"
#include "jobs/jobediting.h"
#include "lib/datetime.h"
#include "support/child.h"
#include "support/fixedclock.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace bkp;
using bkp::test::MainWindowTest;

namespace {

class JobEditing : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        jobs::resetOrderMemory();
    }
    void start() {
        create();
        tray->click();
        QApplication::setActiveWindow(master);
    }
    db::Query &jobs() { return master->jobQueries()->IBQuery_Backups; }
    db::Query &files() { return master->jobQueries()->IBQuery_Arquivos; }
    db::Field *job(const char *name) { return jobs().fieldByName(QString::fromLatin1(name)); }
    db::Database *database() { return master->dataModule()->IBDatabase1; }

    // Job DIARIO with one file set, stored behind the window's back and then
    // shown as the job list's refresh shows it.
    void showJobWithFileSet() {
        ASSERT_TRUE(
            db::ExecSQL(database(), "Insert into BACKUPS (ID, BACKUPNAME) values (1, 'DIARIO')"));
        ASSERT_TRUE(db::ExecSQL(database(), "Insert into ARQUIVOS (ID, BACKUP, PASTA, ARQUIVOS, "
                                            "SUBFOLDER) values (1, 1, '/DADOS', '*.DOC', 0)"));
        master->jobList()->DBNavigator2->click(widgets::DBNavigator::Refresh);
        tray->click();
    }

    // The enabled states of New/Edit/Delete, Save/Cancel, Backup, the two field
    // panels and the job list, as one text.
    QString modeStates() {
        auto on = [](QWidget *w) {
            return w->isEnabled() ? QStringLiteral("1") : QStringLiteral("0");
        };
        return on(master->toolBar()->ToolButtonNew) + on(master->toolBar()->ToolButtonEdit) +
               on(master->toolBar()->ToolButtonDelete) + on(master->toolBar()->ToolButtonSave) +
               on(master->toolBar()->ToolButtonCancel) + on(master->toolBar()->ToolButtonBackup) +
               on(test::child<QWidget>(master->setupPage(), "PanelBackup")) +
               on(test::child<QWidget>(master->ftpPage(), "Panel_FTPBackup")) +
               on(master->jobList());
    }
    int count(const QString &sql) {
        db::Query q;
        q.setDatabase(database());
        q.setTransaction(master->dataModule()->IBTransaction1);
        q.setSqlText(sql);
        q.open();
        return q.field(0)->asInteger();
    }

    platform::FixedClock fixed{QDateTime(QDate(2026, 9, 5), QTime(10, 0))};
    platform::ScopedClock scopedClock{&fixed};
};

class JobEditingInsideKapri : public JobEditing {
protected:
    QString programName() const override { return QStringLiteral("Apps/Kapri_10/bkp"); }
};

} // namespace

TEST_F(JobEditing, ANewJobGetsItsDefaultsAndIsStoredBelowBackupsWithAFreshKey) {
    start();
    EXPECT_EQ(modeStates(), "111001001");

    master->toolBar()->ToolButtonNew->click();
    EXPECT_EQ(modeStates(), "000110110");
    EXPECT_EQ(master->pages()->currentWidget(), master->setupPage());
    EXPECT_EQ(QApplication::focusWidget(),
              test::child<widgets::DBEdit>(master->setupPage(), "DBEdit_BACKUPNAME"));
    EXPECT_EQ(job("ID")->asInteger(), 1);
    EXPECT_EQ(job("UTILITARIO")->asString(), jobs::defaultArchiver());
    EXPECT_EQ(job("PARAMETROS")->asString(), jobs::defaultArchiverSwitches());
    EXPECT_EQ(job("DATA")->asDateTime(), EncodeDate(2026, 9, 6));
    EXPECT_EQ(job("HORA")->asDateTime(), EncodeTime(12, 0, 0));
    EXPECT_EQ(job("TIPO")->asInteger(), 0);
    EXPECT_EQ(job("BACKUPACTIVE")->asInteger(), 0);
    EXPECT_TRUE(test::child<widgets::DBCheckBox>(master->setupPage(), "DBCheckBox_BACKUPACTIVE")
                    ->isChecked());
    for (const char *column : {"FTP_ACTIVE", "FTP_HOST", "FTP_USER", "FTP_PASSWORD", "FTP_FOLDER",
                               "FTP_HORA", "FTP_DATA"})
        EXPECT_TRUE(job(column)->isNull()) << column;

    // Typed text is forced to upper case.
    QTest::keyClicks(test::child<widgets::DBEdit>(master->setupPage(), "DBEdit_BACKUPNAME"),
                     "diario");
    EXPECT_EQ(job("BACKUPNAME")->asString(), "DIARIO");
    const QString parent = dir.file("dados");
    job("BACKUPFOLDER")->setValue(parent);
    QTest::mouseClick(test::child<widgets::DBRadioGroup>(master->setupPage(), "DBRadioGroup_TIPO")
                          ->findChildren<QAbstractButton *>()[2],
                      Qt::LeftButton);

    // Another workstation stores key 1 meanwhile: the job takes the next one.
    ASSERT_TRUE(db::ExecSQL(database(), "Insert into BACKUPS (ID, BACKUPNAME) values (1, 'X')"));
    master->toolBar()->ToolButtonSave->click();
    EXPECT_EQ(modeStates(), "111001001");
    EXPECT_EQ(QApplication::focusWidget(), master->jobList()->DBGrid_Backups);
    EXPECT_EQ(count("select count(*) from BACKUPS where ID=2 and BACKUPNAME='DIARIO' and TIPO=2"),
              1);
    const QString stored = job("BACKUPFOLDER")->asString();
    EXPECT_TRUE(stored.toUpper().contains("/BACKUPS/DIARIO")) << stored.toStdString();
    EXPECT_TRUE(QDir(stored).exists()) << stored.toStdString();
}

TEST_F(JobEditingInsideKapri, ANewJobBelowKapriGetsTheFtpDefaults) {
    dir.write("Apps/Kapri_10/bkp.Ini", "[FTP]\nHost=ftp.example.net\n");
    start();
    master->toolBar()->ToolButtonNew->click();
    EXPECT_EQ(job("FTP_ACTIVE")->asInteger(), 1);
    EXPECT_FALSE(
        test::child<widgets::DBCheckBox>(master->ftpPage(), "DBCheckBox_FTPAtivo")->isChecked());
    EXPECT_EQ(job("FTP_HOST")->asString(), "ftp.example.net");
    EXPECT_EQ(job("FTP_USER")->asString(), "orbelan");
    EXPECT_EQ(job("FTP_PASSWORD")->asString(), "r5tn8vqe");
    EXPECT_EQ(job("FTP_FOLDER")->asString(), "backups");
    EXPECT_EQ(job("FTP_HORA")->asDateTime(), EncodeTime(12, 0, 0));
    EXPECT_EQ(job("FTP_DATA")->asDateTime(), EncodeDate(2026, 9, 6));
    master->toolBar()->ToolButtonCancel->click();
    EXPECT_TRUE(jobs().isEmpty());
}

TEST_F(JobEditing, EditingFillsAMissingDateAndTimeAndCancelKeepsTheStoredRow) {
    create();
    ASSERT_TRUE(db::ExecSQL(database(), "Insert into BACKUPS (ID, BACKUPNAME, FTP_HORA) values "
                                        "(1, 'DIARIO', '08:30')"));
    master->jobList()->DBNavigator2->click(widgets::DBNavigator::Refresh);
    tray->click();

    master->toolBar()->ToolButtonEdit->click();
    EXPECT_EQ(modeStates(), "000110110");
    EXPECT_EQ(job("DATA")->asDateTime(), EncodeDate(2026, 9, 6));
    EXPECT_EQ(job("HORA")->asDateTime(), EncodeTime(12, 0, 0));
    EXPECT_EQ(job("FTP_HORA")->asDateTime(), EncodeTime(8, 30, 0));
    QTest::keyClicks(test::child<widgets::DBEdit>(master->setupPage(), "DBEdit_BACKUPNAME"), "X");
    master->toolBar()->ToolButtonCancel->click();
    EXPECT_EQ(modeStates(), "111001001");
    EXPECT_EQ(job("BACKUPNAME")->asString(), "DIARIO");
    EXPECT_EQ(count("select count(*) from BACKUPS where DATA is null and BACKUPNAME='DIARIO'"), 1);
}

TEST_F(JobEditing, DeletingAsksWithTheNameAndTakesTheFileSetsAlong) {
    create();
    showJobWithFileSet();

    dialogs.answer(platform::IDNO);
    master->toolBar()->ToolButtonDelete->click();
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_EQ(dialogs.shown()[0].text, "Confirma a exclusão do backup DIARIO?");
    EXPECT_EQ(dialogs.shown()[0].caption, "Excluir registro");
    EXPECT_EQ(count("select count(*) from BACKUPS"), 1);
    EXPECT_EQ(count("select count(*) from ARQUIVOS"), 1);

    dialogs.answer(platform::IDYES);
    master->toolBar()->ToolButtonDelete->click();
    EXPECT_TRUE(jobs().isEmpty());
    EXPECT_EQ(count("select count(*) from BACKUPS"), 0);
    EXPECT_EQ(count("select count(*) from ARQUIVOS"), 0);
}

TEST_F(JobEditing, TitleClicksOrderTheListAscendingThenDescending) {
    create();
    addJobs();
    ASSERT_TRUE(db::ExecSQL(database(), "Insert into BACKUPS (ID, BACKUPNAME) values (3, 'meio')"));
    master->jobList()->DBNavigator2->click(widgets::DBNavigator::Refresh);
    auto names = [this] {
        QStringList out;
        for (jobs().first(); !jobs().eof(); jobs().next())
            out << job("BACKUPNAME")->asString();
        return out;
    };
    Q_EMIT master->jobList()->DBGrid_Backups->titleClicked(0, "BACKUPNAME");
    EXPECT_EQ(names(), QStringList({"ALFA", "meio", "ZETA"}));
    EXPECT_TRUE(jobs().sqlText().endsWith("Order By Upper(BACKUPS.BACKUPNAME) Asc"))
        << jobs().sqlText().toStdString();
    Q_EMIT master->jobList()->DBGrid_Backups->titleClicked(0, "BACKUPNAME");
    EXPECT_EQ(names(), QStringList({"ZETA", "meio", "ALFA"}));
    Q_EMIT master->jobList()->DBGrid_Backups->titleClicked(1, "ID");
    EXPECT_TRUE(jobs().sqlText().endsWith("Order By BACKUPS.ID Asc"))
        << jobs().sqlText().toStdString();
    jobs().first();
    EXPECT_EQ(job("ID")->asInteger(), 1);
}

TEST_F(JobEditing, FileSetRowsBelongToTheCurrentJob) {
    create();
    addJobs();
    ASSERT_TRUE(db::ExecSQL(database(), "Insert into ARQUIVOS (ID, BACKUP, PASTA, ARQUIVOS, "
                                        "SUBFOLDER) values (7, 1, '/B', '*.DOC', 1)"));
    ASSERT_TRUE(db::ExecSQL(database(), "Insert into ARQUIVOS (ID, BACKUP, PASTA, ARQUIVOS, "
                                        "SUBFOLDER) values (8, 1, '/A', '*.XLS', 1)"));
    master->jobList()->DBNavigator2->click(widgets::DBNavigator::Refresh);
    tray->click();
    jobs::FileSetsPage *page = master->fileSetsPage();
    // ALFA (key 2) comes first by name: no rows.
    EXPECT_EQ(job("ID")->asInteger(), 2);
    EXPECT_TRUE(files().isEmpty());

    page->DBNavigator1->click(widgets::DBNavigator::Insert);
    EXPECT_TRUE(page->Panel_Backups_Arquivos_Edit->isEnabled());
    EXPECT_EQ(files().fieldByName("BACKUP")->asInteger(), 2);
    EXPECT_EQ(files().fieldByName("ID")->asInteger(), 9);
    EXPECT_TRUE(page->DBCheckBox1->isChecked());
    QTest::keyClicks(page->DBEdit_PASTA, "/dados");
    page->DBNavigator1->click(widgets::DBNavigator::Post);
    EXPECT_FALSE(page->Panel_Backups_Arquivos_Edit->isEnabled());
    EXPECT_EQ(count("select count(*) from ARQUIVOS where BACKUP=2 and PASTA='/DADOS'"), 1);

    // The other job's rows, ordered by folder.
    master->jobList()->DBNavigator2->click(widgets::DBNavigator::Next);
    EXPECT_EQ(job("ID")->asInteger(), 1);
    ASSERT_EQ(files().recordCount(), 2);
    files().first();
    EXPECT_EQ(files().fieldByName("PASTA")->asString(), "/A");

    // A row in editing when the update statements are unlinked cannot be stored;
    // it stays in editing.
    files().edit();
    files().fieldByName("ARQUIVOS")->setValue("*.TXT");
    master->toolsMenu()->Update1->trigger();
    EXPECT_FALSE(page->updatesLinked());
    EXPECT_THROW(files().post(), db::AbortError);
    EXPECT_EQ(files().state(), db::DataSetState::Edit);
    EXPECT_EQ(dialogs.shown().size(), 1);
    master->toolsMenu()->Update1->trigger();
    files().post();
    EXPECT_EQ(count("select count(*) from ARQUIVOS where ARQUIVOS='*.TXT'"), 1);
}

TEST_F(JobEditing, ScheduledWorkLeavesAJobBeingEditedAlone) {
    create();
    const QString today = QStringLiteral("2026-09-05"); // the fixture's clock
    ASSERT_TRUE(db::ExecSQL(database(),
                            "Insert into BACKUPS (ID, BACKUPNAME, BACKUPFILE, BACKUPFOLDER, "
                            "BACKUPACTIVE, FTP_ACTIVE, FTP_HOST, FTP_DATA, FTP_HORA, DATA, HORA) "
                            "values (1, 'DIARIO', 'DIARIO', '', 0, 0, '127.0.0.1:1', '" +
                                today + "', '00:00:00', '" + today + "', '00:00:00')"));
    master->jobList()->DBNavigator2->click(widgets::DBNavigator::Refresh);
    tray->click();
    QApplication::setActiveWindow(master);
    master->toolBar()->ToolButtonEdit->click();
    QTest::keyClicks(test::child<widgets::DBEdit>(master->setupPage(), "DBEdit_BACKUPNAME"), "X");

    // An upload that fails and an archive run both write the job and would read
    // the list again; the operator's edit stays an edit.
    master->Check_FTP();
    master->CheckBackups();
    EXPECT_EQ(jobs().state(), db::DataSetState::Edit);
    EXPECT_EQ(job("BACKUPNAME")->asString(), "DIARIOX");
    EXPECT_EQ(count("select count(*) from BACKUPS where BACKUPNAME='DIARIO' and FTP_LASTERR is "
                    "not null"),
              1);
    master->toolBar()->ToolButtonCancel->click();
    EXPECT_EQ(job("BACKUPNAME")->asString(), "DIARIO");
}

TEST_F(JobEditing, CtrlDeleteInTheJobGridTakesTheFileSetsAlongToo) {
    create();
    showJobWithFileSet();
    dialogs.answer(platform::IDYES);
    QTest::keyClick(master->jobList()->DBGrid_Backups, Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_EQ(dialogs.shown()[0].text, "Delete record?");
    EXPECT_EQ(count("select count(*) from BACKUPS"), 0);
    EXPECT_EQ(count("select count(*) from ARQUIVOS"), 0);
}

TEST_F(JobEditing, ANewJobTakesNoFileSetsUntilItIsStoredUnderItsOwnKey) {
    start();
    jobs::FileSetsPage *page = master->fileSetsPage();
    // Cancelled: no row is left for the next new job to inherit.
    master->toolBar()->ToolButtonNew->click();
    EXPECT_TRUE(page->Label_NewJob->isVisibleTo(master->fileSetsPage()));
    EXPECT_FALSE(page->DBNavigator1->button(widgets::DBNavigator::Insert)->isEnabled());
    EXPECT_FALSE(page->BitBtn_Folder_Files->isEnabled());
    EXPECT_THROW(page->DBNavigator1->click(widgets::DBNavigator::Insert), db::AbortError);
    EXPECT_THROW(page->BitBtn_Folder_FilesClick(), db::AbortError);
    EXPECT_THROW(files().append(), db::AbortError);
    EXPECT_EQ(files().state(), db::DataSetState::Browse);
    EXPECT_TRUE(files().isEmpty());
    master->toolBar()->ToolButtonCancel->click();
    EXPECT_EQ(count("select count(*) from ARQUIVOS"), 0);

    // Stored while another workstation took its first key: rows go under the key
    // the job was stored with.
    master->toolBar()->ToolButtonNew->click();
    QTest::keyClicks(test::child<widgets::DBEdit>(master->setupPage(), "DBEdit_BACKUPNAME"),
                     "diario");
    job("BACKUPFOLDER")->setValue(dir.file("dados"));
    ASSERT_TRUE(db::ExecSQL(database(), "Insert into BACKUPS (ID, BACKUPNAME) values (1, 'X')"));
    master->toolBar()->ToolButtonSave->click();
    EXPECT_EQ(job("ID")->asInteger(), 2);
    EXPECT_FALSE(page->Label_NewJob->isVisibleTo(master->fileSetsPage()));
    page->DBNavigator1->click(widgets::DBNavigator::Insert);
    QTest::keyClicks(page->DBEdit_PASTA, "/dados");
    page->DBNavigator1->click(widgets::DBNavigator::Post);
    EXPECT_EQ(count("select count(*) from ARQUIVOS where BACKUP=2 and PASTA='/DADOS'"), 1);
    EXPECT_EQ(count("select count(*) from ARQUIVOS"), 1);
}

TEST_F(JobEditing, AFileSetRowBeingInsertedIsStoredOrDroppedByItsFolderWhenTheJobChanges) {
    create();
    addJobs();
    master->jobList()->DBNavigator2->click(widgets::DBNavigator::Refresh);
    tray->click();
    jobs::FileSetsPage *page = master->fileSetsPage();
    // ALFA (key 2) first: a row with a folder goes with it when ZETA is chosen.
    page->DBNavigator1->click(widgets::DBNavigator::Insert);
    QTest::keyClicks(page->DBEdit_PASTA, "/dados");
    QTest::keyClicks(page->DBEdit_ARQUIVOS, "*.doc");
    master->jobList()->DBNavigator2->click(widgets::DBNavigator::Next);
    EXPECT_EQ(job("ID")->asInteger(), 1);
    EXPECT_EQ(files().state(), db::DataSetState::Browse);
    EXPECT_EQ(count("select count(*) from ARQUIVOS where BACKUP=2 and PASTA='/DADOS' and "
                    "ARQUIVOS='*.DOC'"),
              1);
    // A row without a folder is dropped; nothing reaches the table.
    page->DBNavigator1->click(widgets::DBNavigator::Insert);
    QTest::keyClicks(page->DBEdit_ARQUIVOS, "*.xls");
    master->jobList()->DBNavigator2->click(widgets::DBNavigator::Prior);
    EXPECT_EQ(job("ID")->asInteger(), 2);
    EXPECT_EQ(files().recordCount(), 1);
    EXPECT_EQ(count("select count(*) from ARQUIVOS"), 1);
}

TEST_F(JobEditing, AValueTooLongForItsColumnIsRefusedAndTheRowStaysInEditing) {
    start();
    // The folder as saved, below BACKUPS and the name, would pass its 50 characters.
    const QString parent = dir.file(QString(39 - dir.path().size(), QChar('p')));
    auto messages = [this] {
        QStringList out;
        for (const auto &shown : dialogs.shown())
            if (shown.kind == "message")
                out << shown.text;
        return out;
    };
    for (const char *mode : {"N", "E"}) {
        SCOPED_TRACE(mode);
        dialogs.clear();
        if (QString(mode) == "N") {
            master->toolBar()->ToolButtonNew->click();
            QTest::keyClicks(test::child<widgets::DBEdit>(master->setupPage(), "DBEdit_BACKUPNAME"),
                             "diario");
        } else {
            master->toolBar()->ToolButtonCancel->click();
            ASSERT_TRUE(db::ExecSQL(database(), "Insert into BACKUPS (ID, BACKUPNAME, UTILITARIO) "
                                                "values (1, 'DIARIO', '/usr/bin/arj')"));
            master->jobList()->DBNavigator2->click(widgets::DBNavigator::Refresh);
            master->toolBar()->ToolButtonEdit->click();
        }
        const QString states = modeStates();
        dialogs.answerText(parent);
        test::child<QPushButton>(master->setupPage(), "BitBtnPasta")->click();
        EXPECT_EQ(test::child<widgets::DBEdit>(master->setupPage(), "DBEdit_BACKUPFOLDER")->text(),
                  parent);
        master->toolBar()->ToolButtonSave->click();
        ASSERT_EQ(messages().size(), 1);
        // The field by its caption, and what the save adds to the folder typed.
        EXPECT_TRUE(
            messages()[0].startsWith("O campo \"Salvar em...\" aceita no máximo 50 caracteres"))
            << messages()[0].toStdString();
        EXPECT_TRUE(messages()[0].contains("acrescenta \"/BACKUPS/DIARIO\" à pasta informada"))
            << messages()[0].toStdString();
        EXPECT_EQ(modeStates(), states);
        EXPECT_EQ(jobs().state(),
                  QString(mode) == "N" ? db::DataSetState::Insert : db::DataSetState::Edit);
        EXPECT_FALSE(QDir(parent).exists());
        EXPECT_EQ(count("select count(*) from BACKUPS where BACKUPFOLDER is not null"), 0);
    }
}

TEST_F(JobEditing, AnArchiveNameThatLeavesTheFolderOrMatchesOthersIsRefusedOnSave) {
    start();
    master->toolBar()->ToolButtonNew->click();
    QTest::keyClicks(test::child<widgets::DBEdit>(master->setupPage(), "DBEdit_BACKUPNAME"),
                     "diario");
    job("BACKUPFOLDER")->setValue(dir.file("dados"));
    for (const char *name : {"../../AB", "A/B", "A\\B", "*", "?????", "DIA*"}) {
        SCOPED_TRACE(name);
        job("BACKUPFILE")->setValue(QString::fromLatin1(name));
        const int boxes = int(dialogs.shown().size());
        master->toolBar()->ToolButtonSave->click();
        ASSERT_EQ(int(dialogs.shown().size()), boxes + 1);
        EXPECT_EQ(dialogs.shown().last().text,
                  backup::ArchiveNameRefusedText(QString::fromLatin1(name)));
        EXPECT_EQ(jobs().state(), db::DataSetState::Insert);
        EXPECT_EQ(count("select count(*) from BACKUPS"), 0);
    }
    job("BACKUPFILE")->setValue(QStringLiteral("DIARIO"));
    master->toolBar()->ToolButtonSave->click();
    EXPECT_EQ(count("select count(*) from BACKUPS where BACKUPFILE='DIARIO'"), 1);
}
