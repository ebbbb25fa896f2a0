#include "app/mainwindowfixture.h"
#include "app/program.h"
#include "app/sessionsignals.h"
#include "db/dataroutines.h"
#include "jobdb/schema.h"
#include "lib/strings.h"
#include "platform/application.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "support/child.h"
#include "support/fixedclock.h"
#include "support/ftpservers.h"
#include "support/masterpeer.h"
#include "support/modal.h"
#include "support/postedclick.h"
#include "support/tempdir.h"
#include "widgets/rascunho.h"
#include "widgets/toolbarbutton.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QStyle>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <csignal>
#include <gtest/gtest.h>

using namespace bkp;
using bkp::test::MainWindowTest;

namespace {

QStringList captions(const QList<QAction *> &actions) {
    QStringList out;
    for (QAction *a : actions)
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

} // namespace

TEST_F(MainWindowTest, StartsInTheTrayAndTheFirstClickShowsItMaximisedInBrowseMode) {
    create();
    EXPECT_FALSE(master->isVisible());
    EXPECT_TRUE(tray->visible());
    EXPECT_TRUE(tray->iconSet());
    EXPECT_EQ(tray->hint(), "BKPZelto - Gerenciador de backups");
    EXPECT_TRUE(master->scheduleTimer()->isActive());
    EXPECT_EQ(master->scheduleTimer()->interval(), 10000);
    EXPECT_TRUE(master->clockTimer()->isActive());
    EXPECT_EQ(app::TfMasterPeer::schedule(*master).TimerPhase, 0);
    EXPECT_EQ(master->pages()->currentWidget(), master->setupPage());
    EXPECT_TRUE(QFile::exists(dir.file("bkp.Ini")));
    EXPECT_TRUE(QFile::exists(dir.file("BKP_Backups.Ini")));

    tray->click();
    EXPECT_TRUE(master->isVisible());
    EXPECT_TRUE(master->isMaximized());
    // Browse mode: nothing to save or cancel, the panels locked, the job list open.
    EXPECT_FALSE(master->toolBar()->ToolButtonSave->isEnabled());
    EXPECT_FALSE(master->toolBar()->ToolButtonCancel->isEnabled());
    EXPECT_FALSE(test::child<QWidget>(master->setupPage(), "PanelBackup")->isEnabled());
    EXPECT_FALSE(test::child<QWidget>(master->ftpPage(), "Panel_FTPBackup")->isEnabled());
    EXPECT_TRUE(master->jobList()->isEnabled());
    EXPECT_TRUE(master->toolBar()->ToolButtonTools->isEnabled());
}

TEST_F(MainWindowTest, CloseAndMinimiseLeaveOnlyTheTrayIconAndFecharEndsTheProgram) {
    create();
    tray->click();
    ASSERT_TRUE(master->isVisible());

    EXPECT_FALSE(master->close());
    EXPECT_FALSE(master->isVisible());
    EXPECT_TRUE(tray->visible());
    EXPECT_FALSE(platform::terminated());

    master->trayMenu()->Restaurar1->trigger();
    EXPECT_TRUE(master->isVisible());
    master->showMinimized();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !master->isVisible(); }, 5000));
    // The schedule goes on while the window is away.
    EXPECT_TRUE(master->scheduleTimer()->isActive());

    tray->click();
    EXPECT_TRUE(master->isVisible());
    master->trayMenu()->Fechar1->trigger();
    EXPECT_TRUE(tray->destroyed());
    EXPECT_TRUE(platform::terminated());
}

TEST_F(MainWindowTest, ReturnMovesThroughEditsAfterARestoreButNotInTheJobGrid) {
    create();
    tray->click();
    QApplication::setActiveWindow(master);
    master->pages()->setCurrentWidget(master->ftpPage());
    test::child<QLineEdit>(master->ftpPage(), "Edit_FTPFileUnique")->setFocus();
    ASSERT_EQ(QApplication::focusWidget(),
              test::child<QLineEdit>(master->ftpPage(), "Edit_FTPFileUnique"));

    QTest::keyClick(test::child<QLineEdit>(master->ftpPage(), "Edit_FTPFileUnique"), Qt::Key_A);
    QTest::keyClick(test::child<QLineEdit>(master->ftpPage(), "Edit_FTPFileUnique"),
                    Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_NE(QApplication::focusWidget(),
              test::child<QLineEdit>(master->ftpPage(), "Edit_FTPFileUnique"));
    EXPECT_EQ(test::child<QLineEdit>(master->ftpPage(), "Edit_FTPFileUnique")->text(), "a");
    // Up comes back.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(),
              test::child<QLineEdit>(master->ftpPage(), "Edit_FTPFileUnique"));

    master->jobList()->DBGrid_Backups->setFocus();
    QTest::keyClick(master->jobList()->DBGrid_Backups, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), master->jobList()->DBGrid_Backups);

    // Once back in the tray the keys are the controls' own again.
    master->close();
    master->trayMenu()->Restaurar1->trigger();
    QApplication::setActiveWindow(master);
    master->ApplicationMinimize();
    master->show();
    QApplication::setActiveWindow(master);
    master->pages()->setCurrentWidget(master->ftpPage());
    test::child<QLineEdit>(master->ftpPage(), "Edit_FTPFileUnique")->setFocus();
    QTest::keyClick(test::child<QLineEdit>(master->ftpPage(), "Edit_FTPFileUnique"),
                    Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(),
              test::child<QLineEdit>(master->ftpPage(), "Edit_FTPFileUnique"));
}

TEST_F(MainWindowTest, AShutdownQueryIsRefusedDuringATickAndAnEndSessionEndsTheProgram) {
    create();
    EXPECT_EQ(master->WMQueryEndSession(), 1);
    app::TfMasterPeer::schedule(*master).TimerBusy = true;
    EXPECT_EQ(master->WMQueryEndSession(), 0);
    app::TfMasterPeer::schedule(*master).TimerBusy = false;

    // An end-session that does not really end changes nothing.
    master->WMEndSession(false);
    EXPECT_FALSE(app::TfMasterPeer::schedule(*master).WindowsEnding);
    EXPECT_FALSE(platform::terminated());

    // The service stop arrives as a signal and ends the program through the window.
    app::SessionSignals session;
    app::connectSessionEnd(master, &session);
    ::raise(SIGTERM);
    EXPECT_TRUE(QTest::qWaitFor([] { return platform::terminated(); }, 5000));
    EXPECT_TRUE(app::TfMasterPeer::schedule(*master).WindowsEnding);
    EXPECT_TRUE(platform::terminated());
}

TEST_F(MainWindowTest, TheLayoutHasItsCaptionsHintsAndColumns) {
    create();
    EXPECT_EQ(master->windowTitle(), "BKPZelto - Gerenciador de backups programados");
    EXPECT_EQ(master->minimumSize(), QSize(700, 500));

    QStringList buttons;
    QSet<int> baselines;
    for (QAction *a : master->toolBar()->actions()) {
        if (a->isSeparator()) {
            buttons << "-";
            continue;
        }
        auto *b = qobject_cast<QToolButton *>(master->toolBar()->widgetForAction(a));
        ASSERT_NE(b, nullptr);
        buttons << b->text() + "|" + b->toolTip();
        EXPECT_EQ(b->size(), QSize(65, 36));
        // The whole caption, with the underline of its mnemonic, lies inside the
        // button, on the same line as every other caption of the bar.
        auto *shown = dynamic_cast<widgets::ToolBarButton *>(b);
        ASSERT_NE(shown, nullptr);
        const QFontMetrics metrics = b->fontMetrics();
        QRect text =
            metrics.boundingRect(shown->captionRect(),
                                 Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic, b->text());
        text.setBottom(qMax(text.bottom(), shown->captionBaseline() + metrics.underlinePos() +
                                               metrics.lineWidth()));
        EXPECT_TRUE(b->rect().contains(text)) << b->text().toStdString();
        baselines.insert(b->y() + shown->captionBaseline());
    }
    EXPECT_EQ(baselines.size(), 1);
    EXPECT_EQ(buttons,
              QStringList({"&Novo|Insere um novo registro de backup",
                           "&Editar|Altera configurações atuais do backup selecionado",
                           "E&xcluir|Exclui um registro de backup", "-",
                           "&Salvar|Salva registro de backup", "&Cancelar|Cancela operação", "-",
                           "&Backup|Executar backup agora", "FTP|Enviar backup por FTP agora", "-",
                           "&Timer|Habilita/desabilita timer", "Tools|Menu de configurações"}));

    EXPECT_EQ(captions(master->toolsMenu()->actions()),
              QStringList({"Salvar registros", "Restaurar registros", "FTP", "Update", "-",
                           "Reprogramar horários", "FBConsole", "-", "SDK"}));
    EXPECT_FALSE(master->toolsMenu()->SalvarRegistros1->isEnabled());
    EXPECT_FALSE(master->toolsMenu()->RestaurarRegistros1->isEnabled());
    EXPECT_EQ(
        captions(
            qobject_cast<QMenu *>(master->toolsMenu()->VerificarBackupsFTP1->parent())->actions()),
        QStringList({"Verificar backups enviados por FTP", "Verificar espaço ocupado por FTP",
                     "Configurar FTP"}));
    EXPECT_EQ(captions(master->trayMenu()->actions()), QStringList({"Restaurar", "Fechar"}));
    EXPECT_EQ(tray->menu(), master->trayMenu());

    EXPECT_EQ(master->jobList()->title(), "Backups");
    EXPECT_EQ(master->jobList()->width(), 200);
    EXPECT_EQ(master->jobList()->Panel_Reordenar->text(), "Clique para reordenar");
    auto *model = master->jobList()->DBGrid_Backups->model();
    ASSERT_EQ(model->columnCount(), 21);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "Backup");
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "ID");
    EXPECT_EQ(model->headerData(20, Qt::Horizontal).toString(), "FTP_LASTERR");
    EXPECT_EQ(master->jobList()->DBGrid_Backups->columnWidth(0), 240);
    EXPECT_EQ(master->jobList()->DBGrid_Backups->columnWidth(1), 32);

    QStringList pages;
    for (int i = 0; i < master->pages()->count(); ++i)
        pages << master->pages()->tabText(i);
    EXPECT_EQ(pages, QStringList({"Setup", "FTP", "Arquivos", "Pasta"}));
    EXPECT_EQ(
        test::child<QGroupBox>(master->ftpPage(), "CheckCustomGroupBox_FTPFileUnique")->title(),
        "Enviar apenas o arquivo:");
    EXPECT_TRUE(test::child<QGroupBox>(master->ftpPage(), "CheckCustomGroupBox_FTPFileUnique")
                    ->isChecked());
    EXPECT_EQ(master->foldersPage()->SpeedButton_FTPFile->toolTip(),
              "Verificar backups no servidor remoto");
    // The FTP windows are there, hidden, and their entries and button are live.
    EXPECT_TRUE(master->foldersPage()->SpeedButton_FTPFile->isEnabled());
    EXPECT_TRUE(master->toolsMenu()->ConfigurarFTP1->isEnabled() &&
                master->toolsMenu()->VerificarEspacoFTP1->isEnabled());
    ASSERT_TRUE(master->ftpConfigDialog() && master->ftpSizeDialog());
    EXPECT_FALSE(master->ftpConfigDialog()->isVisible() || master->ftpSizeDialog()->isVisible());
    EXPECT_EQ(master->ftpSizeDialog()->windowTitle(), "FTPSize");

    ASSERT_EQ(master->panelStatusBar()->panelCount(), 4);
    // The clock panel may grow to show the whole date and time.
    QLabel *clock = master->panelStatusBar()->panel(0);
    EXPECT_GE(clock->width(), 120);
    EXPECT_GE(clock->width(), clock->fontMetrics().horizontalAdvance(DateTimeToStr(Now())));
    for (int i = 1; i < 3; ++i)
        EXPECT_EQ(master->panelStatusBar()->panel(i)->width(), 120);
}

TEST_F(MainWindowTest, TheClockAndTheNavigatorsRefresh) {
    create();
    platform::FixedClock fixed(QDateTime(QDate(2026, 12, 8), QTime(21, 5, 7)));
    platform::ScopedClock scopedClock(&fixed);
    master->Timer_NowTimer();
    EXPECT_EQ(master->panelStatusBar()->panelText(0), DateTimeToStr(Now()));
    EXPECT_TRUE(master->panelStatusBar()->panelText(0).contains("21:05:07"));

    // Jobs stored behind the list's back show after the refresh, the first current.
    addJobs();
    db::Query &jobs = master->jobQueries()->IBQuery_Backups;
    EXPECT_TRUE(jobs.isEmpty());
    master->jobList()->DBNavigator2->click(widgets::DBNavigator::Refresh);
    EXPECT_EQ(jobs.recordCount(), 2);
    EXPECT_EQ(jobs.recNo(), 1);
    EXPECT_EQ(master->jobList()->DBGrid_Backups->currentIndex().row(), 0);

    int phase = 0;
    EXPECT_EQ(app::TfMaster::Inc_Range(phase, 1), 1);
    EXPECT_EQ(app::TfMaster::Inc_Range(phase, 1), 0);
}

TEST_F(MainWindowTest, WithoutATrayTheWindowIsTheWayInAndStaysReachable) {
    create(false);
    EXPECT_TRUE(master->withoutTray());
    EXPECT_TRUE(master->isVisible());
    EXPECT_TRUE(master->scheduleTimer()->isActive());
    master->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return master->isMinimized(); }, 5000));
    EXPECT_TRUE(master->isVisible());
}

TEST_F(MainWindowTest, FecharEndsTheMessageLoopWhileTheWindowIsShown) {
    create();
    tray->click();
    ASSERT_TRUE(master->isVisible());
    bool guardFired = false;
    QTimer::singleShot(50, master, [this] { master->trayMenu()->Fechar1->trigger(); });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        guardFired = true;
        QCoreApplication::exit(1);
    });
    guard.start(5000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_FALSE(guardFired);
}

TEST_F(MainWindowTest, TheTimerButtonStopsTheScheduleWhileTheClockRuns) {
    create();
    ASSERT_TRUE(master->scheduleTimer()->isActive());
    master->toolBar()->ToolButtonTimer->click();
    EXPECT_FALSE(master->scheduleTimer()->isActive());
    EXPECT_TRUE(master->clockTimer()->isActive());
    const QString off = master->toolBar()->ToolButtonTimer->text();
    master->toolBar()->ToolButtonTimer->click();
    EXPECT_TRUE(master->scheduleTimer()->isActive());
    EXPECT_NE(master->toolBar()->ToolButtonTimer->text(), off);
}

TEST_F(MainWindowTest, TheBackupButtonRunsTheCurrentJobAndThePastaPageFollowsIt) {
    create();
    platform::FixedClock fixed(QDateTime(QDate(2026, 9, 5), QTime(10, 0)));
    platform::ScopedClock scopedClock(&fixed);
    auto *database = master->dataModule()->IBDatabase1;
    const QString folder = dir.file("Jobs/Diario/BACKUPS");
    QDir().mkpath(folder);
    dir.write("Jobs/Diario/BACKUPS/diario.rar", "old");
    const QDateTime written = QFileInfo(folder + "/diario.rar").lastModified();
    ASSERT_TRUE(db::ExecSQL(database, "Insert into BACKUPS (ID, BACKUPNAME, BACKUPFILE, "
                                      "BACKUPFOLDER, UTILITARIO, PARAMETROS, TIPO) values (1, "
                                      "'DIARIO', 'DIARIO', '" +
                                          folder + "', '/usr/bin/rar', 'a', 0)"));
    master->jobList()->DBNavigator2->click(widgets::DBNavigator::Refresh);
    // The folder page shows the current job's archives.
    EXPECT_EQ(master->foldersPage()->LocalFolderView1->ListView_Pasta->topLevelItemCount(), 1);

    tray->click();
    master->toolBar()->ToolButtonBackup->click();
    db::Query &jobs = master->jobQueries()->IBQuery_Backups;
    EXPECT_EQ(jobs.fieldByName("DATA")->asDateTime(), EncodeDate(2026, 9, 6));
    // The old archive went to the weekday name of its last write.
    EXPECT_EQ(QDir(folder).entryList(QDir::Files),
              QStringList({WeekdayName(FromQDateTime(written)) + ".rar"}));
}

// While an upload waits on a slow server the window answers: "FTP" is off, and
// deleting or archiving the job being sent is refused with a message; the
// upload goes on to its end.
TEST_F(MainWindowTest, DuringAnUploadFtpIsOffAndTheJobBeingSentIsLeftAlone) {
    create();
    platform::FixedClock fixed(QDateTime(QDate(2026, 9, 5), QTime(10, 0)));
    platform::ScopedClock scopedClock(&fixed);
    test::TempDir logs;
    test::FtpServerProcess tardy;
    ASSERT_TRUE(tardy.startFake("tardy:0.1", logs.path()));
    const QString folder = dir.file("Jobs/Diario/BACKUPS");
    dir.write("Jobs/Diario/BACKUPS/diario.rar", "archive");
    ASSERT_TRUE(db::ExecSQL(master->dataModule()->IBDatabase1,
                            "Insert into BACKUPS (ID, BACKUPNAME, BACKUPFILE, BACKUPFOLDER, "
                            "FTP_HOST, FTP_USER, FTP_PASSWORD, FTP_FOLDER, FTP_PASSIVE) values "
                            "(1, 'DIARIO', 'DIARIO', '" +
                                folder + "', '" + tardy.host() + "', 'zelto', 's3cret', '/', -1)"));
    master->jobList()->DBNavigator2->click(widgets::DBNavigator::Refresh);
    tray->click();
    app::MainToolBar *bar = master->toolBar();
    bool ftpOffMeanwhile = false;
    QTimer meanwhile;
    meanwhile.setSingleShot(true);
    meanwhile.callOnTimeout([&] {
        ftpOffMeanwhile = !bar->ToolButton_FTP->isEnabled();
        test::postClick(bar->ToolButton_FTP);
        QTest::mouseClick(bar->ToolButtonDelete, Qt::LeftButton);
        QTest::mouseClick(bar->ToolButtonBackup, Qt::LeftButton);
    });
    meanwhile.start(500);
    QTest::mouseClick(bar->ToolButton_FTP, Qt::LeftButton);
    EXPECT_TRUE(ftpOffMeanwhile);
    EXPECT_TRUE(bar->ToolButton_FTP->isEnabled());
    QStringList shown;
    for (const auto &box : dialogs.shown())
        shown << box.text;
    EXPECT_EQ(shown, QStringList({"O envio por FTP deste backup está em andamento: ele só pode "
                                  "ser excluído depois que o envio terminar.",
                                  "O envio por FTP deste backup está em andamento: o backup só "
                                  "pode ser feito depois que ele terminar."}));
    EXPECT_EQ(logs.read("sessions").count('\n'), 1);
    db::Query &jobs = master->jobQueries()->IBQuery_Backups;
    EXPECT_EQ(jobs.fieldByName("FTP_DATA")->asDateTime(), EncodeDate(2026, 9, 6))
        << jobs.fieldByName("FTP_LASTERR")->asString().toStdString();
    EXPECT_EQ(jobs.fieldByName("DATA")->isNull(), true);
    EXPECT_TRUE(QFile::exists(folder + "/diario.rar"));
}

TEST_F(MainWindowTest, ShortColumnsGetFittingEditsAndTheFolderCaptionLeavesItsButtonClear) {
    create();
    addJobs();
    master->jobList()->DBNavigator2->click(widgets::DBNavigator::Refresh);
    tray->click();
    master->resize(1600, 900);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(master));
    jobs::JobSetupPage *p = master->setupPage();
    jobs::JobFtpPage *f = master->ftpPage();
    // Eight characters fit in the name edit; the folder takes the room it is given.
    EXPECT_LT(test::child<widgets::DBEdit>(p, "DBEdit_BACKUPNAME")->width(), 200);
    EXPECT_GE(test::child<widgets::DBEdit>(p, "DBEdit_BACKUPNAME")->width(),
              test::child<widgets::DBEdit>(p, "DBEdit_BACKUPNAME")
                  ->fontMetrics()
                  .horizontalAdvance(QStringLiteral("WWWWWWWW")));
    EXPECT_GT(test::child<widgets::DBEdit>(p, "DBEdit_BACKUPFOLDER")->width(),
              3 * test::child<widgets::DBEdit>(p, "DBEdit_BACKUPNAME")->width());
    EXPECT_EQ(test::child<widgets::DBEdit>(f, "DBEdit_FTP_PASSWORD")
                  ->style()
                  ->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr,
                              test::child<widgets::DBEdit>(f, "DBEdit_FTP_PASSWORD")),
              '*');

    // A long folder: the caption keeps its whole text and paints nothing under the button.
    backup::LocalFolderView *view = master->foldersPage()->LocalFolderView1;
    master->pages()->setCurrentWidget(master->foldersPage());
    const QString folder = "/" + QString("muito-longa/").repeated(30) + "backups/diario";
    view->RefreshFolder(folder);
    EXPECT_EQ(view->Panel_Pasta->text(), folder);
    const QImage image = view->Panel_Pasta->grab().toImage();
    const QRect button = view->SpeedButton_RefreshFolder->geometry();
    int yellow = 0;
    for (int x = button.left(); x <= button.right(); ++x)
        for (int y = 0; y < image.height(); ++y)
            yellow += image.pixelColor(x, y) == QColor(Qt::yellow) ? 1 : 0;
    EXPECT_EQ(yellow, 0);
}

// A run's end on the window: the balloon, the Setup page's outcome fields, the Pasta
// list read again, the archiver's output in the viewer; "Fechar" leaves a running
// archiver running.
TEST_F(MainWindowTest, ARunsEndIsShownOnTheWindowAndFecharLeavesTheArchiverRunning) {
    create();
    platform::FixedClock fixed(QDateTime(QDate(2026, 9, 5), QTime(10, 0)));
    platform::ScopedClock scopedClock(&fixed);
    auto *database = master->dataModule()->IBDatabase1;
    const QString folder = dir.file("Jobs/BACKUPS/DIARIO");
    QDir().mkpath(folder);
    const QString archiver = dir.write("bin/arj", "#!/bin/sh\n"
                                                  "echo saida 1; echo saida 2 >&2\n"
                                                  "sleep \"$(cat \"$(dirname \"$0\")/pausa\")\"\n"
                                                  "echo arquivo > \"$2\"\n"
                                                  "exit 1\n");
    QFile::setPermissions(archiver, QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner);
    dir.write("bin/pausa", "0");
    ASSERT_TRUE(db::ExecSQL(database, "Insert into BACKUPS (ID, BACKUPNAME, BACKUPFILE, "
                                      "BACKUPFOLDER, UTILITARIO, PARAMETROS, TIPO) values (1, "
                                      "'DIARIO', 'DIARIO', '" +
                                          folder + "', '" + archiver + "', 'a', 0)"));
    master->jobList()->DBNavigator2->click(widgets::DBNavigator::Refresh);
    tray->click();
    master->toolBar()->ToolButtonBackup->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !master->archivers()->running(1); }, 20000));

    const QString warning = DateTimeToStr(Now()) + " - Compactador terminou com avisos (código 1)";
    ASSERT_FALSE(tray->recorder().balloons().isEmpty());
    EXPECT_EQ(tray->recorder().balloons().last().text, warning);
    QWidget *setup = master->setupPage();
    EXPECT_EQ(test::child<widgets::DBEdit>(setup, "DBEdit_BACKUP_LASTERR")->text(), warning);
    EXPECT_FALSE(test::child<widgets::DBEdit>(setup, "DBEdit_BACKUP_LASTRUN")->text().isEmpty());
    EXPECT_EQ(master->foldersPage()->LocalFolderView1->ListView_Pasta->topLevelItemCount(), 1);

    QStringList shown;
    test::whenModalOpens<widgets::TfRascunho>(
        [&](widgets::TfRascunho &viewer) { shown = viewer.TextFile->toPlainText().split('\n'); });
    QPushButton *output = test::child<QPushButton>(setup, "BitBtn_Saida");
    ASSERT_TRUE(output->isEnabled());
    output->click();
    EXPECT_EQ(shown, QStringList({"saida 1", "saida 2"}));

    // The next run writes for a while; the program ends meanwhile.
    dir.write("bin/pausa", "2");
    master->toolBar()->ToolButtonBackup->click();
    ASSERT_TRUE(master->archivers()->running(1));
    master->trayMenu()->Fechar1->trigger();
    EXPECT_TRUE(platform::terminated());
    delete master;
    master = nullptr;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return dir.read("Jobs/BACKUPS/DIARIO/diario.arj") == "arquivo\n"; }, 20000));
}
