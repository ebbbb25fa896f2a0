#include "ftp/folderspage.h"
#include "ftp/ftpconfig.h"
#include "ftp/ftpspace.h"
#include "ftp/listingline.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/inifile.h"
#include "support/fixedclock.h"
#include "support/ftpservers.h"
#include "support/jobdatabase.h"
#include "support/modal.h"
#include "support/postedclick.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"
#include "widgets/buttonrow.h"
#include "widgets/qtdialogs.h"
#include "widgets/rascunho.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace bkp;
using namespace bkp::ftp;

namespace {

// A loopback port nobody listens on.
QString closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const QString host = QStringLiteral("127.0.0.1:%1").arg(probe.serverPort());
    probe.close();
    return host;
}

class FtpDialogsTest : public ::testing::Test {
protected:
    FtpDialogsTest() : dialogsScope(&dialogs), ini(dir.write("bkp.Ini", "[Geral]\nA=1\n")) {
        config.IdFTP_Backup.setConnectTimeout(2000);
        config.IdFTP_Backup.setReplyTimeout(2000);
        space.timeoutMs = 2000;
    }
    void settings(const QString &host, const QString &login, const QString &password,
                  const QString &folder) {
        config.LabeledEditHost->setText(host);
        config.LabeledEditLogin->setText(login);
        config.LabeledEditPassword->setText(password);
        config.LabeledEditFolder->setText(folder);
    }
    QStringList messages() const {
        QStringList out;
        for (const auto &s : dialogs.shown())
            out << s.text;
        return out;
    }

    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs dialogsScope;
    test::TempDir dir;
    test::JobDatabase db;
    platform::IniFile ini;
    TfFTP_Config config{&ini, &db.dm};
    TfFTPSize space{&config};
};

TEST_F(FtpDialogsTest, SettingsLoadWithDefaultsSaveTheirFourKeysAndCancelRestores) {
    EXPECT_EQ(config.windowTitle(), "FTP - Config");
    // The settings dialog has only the close box (under Openbox too); the space
    // window keeps its minimise and maximise buttons.
    EXPECT_EQ(widgets::DialogFrameWindowTypes(&config, "Openbox").value(0),
              "_NET_WM_WINDOW_TYPE_TOOLBAR");
    EXPECT_TRUE(widgets::DialogFrameWindowTypes(&space, "Openbox").isEmpty());
    EXPECT_EQ(config.LabeledEditHost->text(), DefaultFtpHost);
    EXPECT_EQ(config.LabeledEditLogin->text(), "orbelan");
    EXPECT_EQ(config.LabeledEditPassword->text(), "zuqolmed");
    EXPECT_EQ(config.LabeledEditPassword->echoMode(), QLineEdit::Password);
    config.show();
    EXPECT_EQ(config.LabeledEditPassword->displayText(), "********");
    config.hide();
    EXPECT_TRUE(config.LabeledEditFolder->text().isEmpty());
    EXPECT_FALSE(config.CheckBox_SaveDB->isChecked());
    EXPECT_EQ(config.BitBtn_Testar->toolTip(),
              "Clique aqui para testar a conexão com o host informado.");

    settings("ftp.one:2121", "ana", "pw", "backups");
    config.BitBtn_OK->click();
    EXPECT_EQ(ini.readString("FTP", "Host"), "ftp.one:2121");
    EXPECT_EQ(ini.readString("FTP", "Login"), "ana");
    EXPECT_EQ(ini.readString("FTP", "Password"), "pw");
    EXPECT_EQ(ini.readString("FTP", "Folder"), "backups");
    EXPECT_EQ(ini.readString("Geral", "A"), "1");

    settings("other", "bob", "x", "y");
    config.BitBtn_Cancel->click();
    EXPECT_EQ(config.LabeledEditHost->text(), "ftp.one:2121");
    EXPECT_EQ(config.LabeledEditFolder->text(), "backups");
    QTest::keyClicks(config.LabeledEditFolder, "ABC");
    EXPECT_EQ(config.LabeledEditFolder->text(), "backupsabc");
}

// Escape acts as "Cancelar" (the fields reload from the file); "Testar" has the
// focus first and Tab walks the fields from the top, then the other buttons.
TEST_F(FtpDialogsTest, EscapeCancelsAndTestarComesFirstInTheTabOrder) {
    settings("ftp.one", "ana", "pw", "backups");
    config.BitBtn_OK->click();
    config.show();
    config.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&config));
    EXPECT_EQ(QApplication::focusWidget(), config.BitBtn_Testar);
    const QList<QWidget *> order{config.LabeledEditHost,     config.LabeledEditLogin,
                                 config.LabeledEditPassword, config.LabeledEditFolder,
                                 config.CheckBox_SaveDB,     config.BitBtn_Cancel,
                                 config.BitBtn_OK,           config.BitBtn_Testar};
    for (QWidget *next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
    config.LabeledEditHost->setText("typed.example");
    QTest::keyClick(config.LabeledEditHost, Qt::Key_Escape);
    EXPECT_FALSE(config.isVisible());
    EXPECT_EQ(config.LabeledEditHost->text(), "ftp.one");
    EXPECT_EQ(ini.readString("FTP", "Host"), "ftp.one");
}

TEST_F(FtpDialogsTest, TheTestShowsBothMessagesAndCopiesTheSettingsIntoEveryJob) {
    test::TempDir root;
    QDir(root.path()).mkpath("backups");
    test::FtpServerProcess server, silent;
    ASSERT_TRUE(server.startPyftpd(root.path(), "zelto", "s3cret"));
    ASSERT_TRUE(silent.startFake("silent"));
    const QString closed = closedPort();

    struct Case {
        QString host, password, folder;
        QStringList messages;
    } cases[] = {
        {server.host(), "s3cret", "", {"Conectado com sucesso ao host " + server.host()}},
        {server.host(),
         "s3cret",
         "backups",
         {"Conectado com sucesso ao host " + server.host(),
          "Conectado com sucesso na pasta BACKUPS"}},
        {closed,
         "x",
         "backups",
         {"Não foi possível conectar-se ao host\r" + closed +
              "\r\rOcorrência:Conexão recusada por " + closed,
          "Não foi possível conectar-se à pasta\rbackups\r\rOcorrência:\rNão conectado a " +
              closed}},
        {silent.host(),
         "x",
         "",
         {"Não foi possível conectar-se ao host\r" + silent.host() +
          "\r\rOcorrência:Tempo esgotado esperando resposta de " + silent.host()}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.host.toStdString());
        settings(c.host, "zelto", c.password, c.folder);
        dialogs.clear();
        QElapsedTimer took;
        took.start();
        config.TestaConexao();
        EXPECT_LT(took.elapsed(), 5000);
        EXPECT_EQ(messages(), c.messages);
    }

    for (int id = 1; id <= 5; ++id)
        db.addJob(id, QStringLiteral("J%1").arg(id), 0, QDate(), QTime());
    config.CheckBox_SaveDB->setChecked(true);
    settings(server.host(), "zelto", "s3cret", "");
    dialogs.clear();
    dialogs.answer(platform::IDNO);
    config.TestaConexao();
    EXPECT_EQ(messages().last(), "Salvar estas configurações em todos os registro?");
    EXPECT_TRUE(db.value(3, "FTP_HOST").isNull());

    dialogs.clear();
    dialogs.answer(platform::IDOK);
    dialogs.answer(platform::IDYES);
    config.TestaConexao();
    EXPECT_EQ(messages().last(), "5 Registros atualizados.");
    EXPECT_EQ(db.value(3, "FTP_HOST").toString(), server.host());
    EXPECT_EQ(db.value(5, "FTP_PASSWORD").toString(), "s3cret");

    // Too long for the column: refused by the database and reported by the builder.
    config.LabeledEditPassword->setText("123456789");
    dialogs.clear();
    QStringList viewed;
    test::whenModalOpens<widgets::TfRascunho>(
        [&](widgets::TfRascunho &v) { viewed = v.TextFile->toPlainText().split('\n'); });
    config.SalvaDatabase();
    ASSERT_EQ(messages().size(), 2);
    EXPECT_TRUE(messages()[0].startsWith("Falha ao inserir o registro:\r"));
    EXPECT_EQ(messages()[1], "0 Registros atualizados.");
    EXPECT_EQ(viewed,
              QStringList({"Update BACKUPS", "Set", "FTP_HOST=:FTP_HOST,", "FTP_USER=:FTP_USER,",
                           "FTP_PASSWORD=:FTP_PASSWORD", "Where 1>0"}));
    EXPECT_EQ(db.value(5, "FTP_PASSWORD").toString(), "s3cret");
}

TEST_F(FtpDialogsTest, TheSpaceReportListsTheLoginFolderAndChatAndTakesARowApart) {
    platform::FixedClock clock(QDateTime(QDate(2026, 12, 9), QTime(10, 0)));
    platform::ScopedClock clockScope(&clock);
    test::TempDir root, noChat;
    root.write("backup.rar", "1234");
    root.write("Chat/talk.txt", "hi");
    noChat.write("only.zip", "1");
    test::FtpServerProcess server, without, silent;
    ASSERT_TRUE(server.startPyftpd(root.path(), "zelto", "s3cret"));
    ASSERT_TRUE(without.startPyftpd(noChat.path(), "zelto", "s3cret"));
    ASSERT_TRUE(silent.startFake("silent"));

    // The report takes what is stored, not what was typed in the dialog.
    ini.writeString("FTP", "Host", server.host());
    ini.writeString("FTP", "Login", "zelto");
    ini.writeString("FTP", "Password", "s3cret");
    config.LabeledEditHost->setText("typed.but.not.stored");
    space.Verificar();
    QStringList rows;
    for (int i = 0; i < space.ListBox1->count(); ++i)
        rows << space.ListBox1->item(i)->text();
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[0], "/");
    EXPECT_TRUE(rows[1].startsWith("drwx") && rows[1].endsWith(" Chat")) << rows[1].toStdString();
    EXPECT_TRUE(rows[2].endsWith(" backup.rar"));
    EXPECT_EQ(rows[3], "/Chat");
    EXPECT_TRUE(rows[4].endsWith(" talk.txt"));

    space.ListBox1Click(); // nothing selected: nothing shown
    EXPECT_TRUE(space.Memo2->toPlainText().isEmpty());
    space.ListBox1->setCurrentRow(2);
    space.ListBox1Click();
    const QStringList details = space.Memo2->toPlainText().split('\n');
    ASSERT_EQ(details.size(), 4);
    EXPECT_EQ(details[0], "Type=-");
    EXPECT_EQ(details[1], "FileName=backup.rar");
    EXPECT_EQ(details[2], "FileSize=4");
    // The file was written by the test a moment ago: today's date.
    EXPECT_TRUE(
        details[3].startsWith("DateTime=" + QDate::currentDate().toString("dd/MM/yyyy") + " "))
        << details[3].toStdString();
    space.ListBox1->setCurrentRow(0);
    space.ListBox1Click();
    EXPECT_EQ(space.Memo2->toPlainText(), "Type=/\nFileName=\nFileSize=\nDateTime=");
    space.ListBox1->item(0)->setText("-rw-r--r-- 1 a b 5 Jan xx 2025 x");
    const QString before = space.Memo2->toPlainText();
    EXPECT_THROW(space.ListBox1Click(), ListingError);
    EXPECT_EQ(space.Memo2->toPlainText(), before);

    ini.writeString("FTP", "Host", without.host());
    try {
        space.Verificar();
        ADD_FAILURE() << "no Chat folder";
    } catch (const FtpError &e) {
        EXPECT_TRUE(e.message().startsWith("550")) << e.message().toStdString();
    }
    EXPECT_EQ(space.ListBox1->count(), 2); // the login folder's rows stay

    ini.writeString("FTP", "Host", silent.host());
    QElapsedTimer took;
    took.start();
    EXPECT_THROW(space.Verificar(), FtpError);
    EXPECT_LT(took.elapsed(), 5000);
}

// The window answers clicks while an FTP operation waits on a slow server: the
// control that started it is off until it ends, and a click on it meanwhile
// starts nothing.
TEST_F(FtpDialogsTest, AControlIsOffWhileItsOperationWaitsOnTheServer) {
    test::TempDir logs;
    test::FtpServerProcess tardy;
    ASSERT_TRUE(tardy.startFake("tardy:0.2", logs.path()));
    db.exec("insert into BACKUPS (ID, BACKUPNAME, FTP_HOST, FTP_USER, FTP_PASSWORD, FTP_FOLDER) "
            "values (1, 'JOB', '" +
            tardy.host() + "', 'zelto', 's3cret', 'backups')");
    db::Query jobs;
    jobs.setDatabase(db.dm.IBDatabase1);
    jobs.setTransaction(db.dm.IBTransaction1);
    jobs.setSqlText("select * from BACKUPS");
    jobs.open();
    FoldersPage page(nullptr, {});
    page.setJobList(&jobs);
    settings(tardy.host(), "zelto", "s3cret", "backups");
    const struct {
        const char *name;
        QAbstractButton *control;
    } cases[] = {{"Testar", config.BitBtn_Testar}, {"Pasta", page.SpeedButton_FTPFile}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const int sessions = logs.read("sessions").count('\n');
        bool offMeanwhile = false;
        QTimer meanwhile;
        meanwhile.setSingleShot(true);
        meanwhile.callOnTimeout([&] {
            offMeanwhile = !c.control->isEnabled();
            test::postClick(c.control);
        });
        meanwhile.start(700);
        QTest::mouseClick(c.control, Qt::LeftButton);
        EXPECT_TRUE(offMeanwhile);
        EXPECT_TRUE(c.control->isEnabled());
        EXPECT_EQ(logs.read("sessions").count('\n'), sessions + 1);
    }
}

} // namespace
