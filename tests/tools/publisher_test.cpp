#include "support/child.h"
#include "support/scripteddialogs.h"
#include "tools/publisher.h"
#include "tools/sdk.h"

#include "lib/fileversion.h"
#include "lib/paths.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/inifile.h"
#include "support/tempdir.h"
#include "support/urlrecorder.h"
#include "widgets/buttonrow.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QThread>
#include <QToolButton>
#include <QUrl>
#include <gtest/gtest.h>

using namespace bkp;
using namespace bkp::tools;
using bkp::test::TempDir;

namespace {

const QString Title = QStringLiteral("BKPZelto - Gerenciador de backups");

TEST(Publisher, TheFileListIsQuotedWhereItMustBeAndReadsBackThroughItsSettingsFile) {
    const QList<std::pair<QStringList, QString>> cases{
        {{"C:\\a b\\x.rar", "C:\\y.zip"}, "\"C:\\a b\\x.rar\",C:\\y.zip"},
        {{"say \"hi\"", "a,b", "tab\there"}, "\"say \"\"hi\"\"\",\"a,b\",\"tab\there\""},
        // Quotes at both ends of the whole text: the settings file must not take them.
        {{"/x/a b.rar", "/y/c d.zip"}, "\"/x/a b.rar\",\"/y/c d.zip\""},
        {{"/x/a.rar", "", "/y/b.zip"}, "/x/a.rar,,/y/b.zip"},
        {{}, ""},
    };
    TempDir dir;
    platform::IniFile ini(dir.file("TfSDK.ini"));
    for (const auto &[items, text] : cases) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(CommaText(items), text);
        EXPECT_EQ(SplitCommaText(text), items);
        SdkParams p;
        p.ListBox_FTPFiles = items;
        p.Edit_FTPFolder = "/pub/bkp";
        SaveSdkParams(ini, p);
        EXPECT_EQ(LoadSdkParams(ini).ListBox_FTPFiles, items);
        EXPECT_EQ(LoadSdkParams(ini).Edit_FTPFolder, "/pub/bkp");
    }
}

// The script and the installer belong to the other desktop: "\\" whatever the folder holds.
TEST(Publisher, TheInstallerPathAlwaysJoinsWithABackslash) {
    const QList<std::tuple<QString, QString, QString>> cases{
        {"C:\\out", "setup_bkp", "C:\\out\\setup_bkp.exe"},
        {"C:\\out", "setup.new", "C:\\out\\setup.exe"},
        {"C:\\out.d\\", "setup", "C:\\out.d\\setup.exe"},
        {"/srv/out", "setup", "/srv/out\\setup.exe"},
        {"Output", "setup_bkp", "Output\\setup_bkp.exe"},
    };
    for (const auto &[dir, name, expected] : cases)
        EXPECT_EQ(InstallerPath(dir, name), expected);
}

// Everything in the script stays but the keys stamped and the old notice section.
TEST(Publisher, StampingKeepsTheRestOfTheScriptAndRewritesTheNotice) {
    TempDir dir;
    const QByteArray before = "; BKPZelto installer\r\n"
                              "[Setup]\r\n"
                              "AppName=Old\r\n"
                              "AppVersion=0.9\r\n"
                              "OutputDir=C:\\out\r\n"
                              "OutputBaseFilename=setup.new\r\n"
                              "\r\n"
                              "[Aviso de atualização]\r\n"
                              "Sistema=Old\r\n"
                              "Antigo=1\r\n"
                              "\r\n"
                              "[Files]\r\n"
                              "Source: \"bkpzelto\"; DestDir: \"{app}\"\r\n";
    const QString script = dir.write("setup.iss", before);
    const QString product = Title + " [" + ProgramFileVersion() + "]";
    StampInstallerScript(script, Title, ProgramFileVersion());
    EXPECT_EQ(dir.read("setup.iss").toStdString(),
              ("; BKPZelto installer\r\n"
               "[Setup]\r\n"
               "AppName=" +
               product.toUtf8() +
               "\r\n"
               "AppVersion=" +
               ProgramFileVersion().toUtf8() +
               "\r\n"
               "OutputDir=C:\\out\r\n"
               "OutputBaseFilename=setup.new\r\n"
               "AppVerName=" +
               product.toUtf8() + "\r\nVersionInfoVersion=" + ProgramFileVersion().toUtf8() +
               "\r\nUninstallDisplayName=" + product.toUtf8() +
               "\r\nUninstallLogMode=overwrite\r\n"
               "\r\n"
               "\r\n" // the blank line that followed the erased section
               "[Files]\r\n"
               "Source: \"bkpzelto\"; DestDir: \"{app}\"\r\n"
               "[Aviso de atualização]\r\n"
               "Sistema=" +
               product.toUtf8() + "\r\nInstalador:=C:\\out\\setup.exe\r\n")
                  .toStdString());

    // Without a version: the title alone, the version keys left as they are.
    const QString other = dir.write("other.iss", "[Setup]\nAppVersion=0.9\n");
    StampInstallerScript(other, Title, QString());
    platform::IniFile ini(other);
    EXPECT_EQ(ini.readString("Setup", "AppName"), Title);
    EXPECT_EQ(ini.readString("Setup", "AppVersion"), "0.9");
    EXPECT_FALSE(ini.valueExists("Setup", "VersionInfoVersion"));
}

TEST(Publisher, TheStampedVersionIsTheProjectVersion) {
    EXPECT_EQ(ProgramFileVersion(), QStringLiteral(BKP_PROJECT_VERSION));
}

using bkp::test::UrlRecorder;

QByteArray waitForFile(const QString &path) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 15000) {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            return f.readAll();
        QThread::msleep(50);
    }
    return QByteArray();
}

// The window with its settings file: the fields come back on the next opening,
// the upload program gets its two words as one process start, and the stamped
// script is handed to the desktop to open.
TEST(PublisherWindow, KeepsItsFieldsStartsTheUploadAndOpensTheStampedScript) {
    TempDir dir;
    platform::setApplicationTitle(Title);
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped(&dialogs);
    const QString recorder = dir.write(
        "Up Loader/up.sh", "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > "
                           "\"$(dirname \"$0\")/args.tmp\"\nmv \"$(dirname \"$0\")/args.tmp\" "
                           "\"$(dirname \"$0\")/args.txt\"\n");
    QFile::setPermissions(recorder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString script = dir.write("setup.iss", "[Setup]\nOutputDir=/srv/out\n");
    const QString ini = dir.file("TfSDK.ini");
    {
        TfSDK window(ini);
        window.show();
        test::child<tools::FilenameEdit>(&window, "FilenameEdit_FTP")->setFileName(recorder);
        test::child<tools::FilenameEdit>(&window, "FilenameEdit_Install")->setFileName(script);
        test::child<QLineEdit>(&window, "Edit_FTPFolder")->setText("/pub/bkp");
        dialogs.answerText("C:\\a b\\x.rar");
        dialogs.answerText("C:\\y.zip");
        dialogs.answerText("C:\\z.zip");
        for (int i = 0; i < 3; ++i)
            test::child<QToolButton>(&window, "ToolButton1")->click();
        test::child<QListWidget>(&window, "ListBox_FTPFiles")->item(2)->setSelected(true);
        test::child<QToolButton>(&window, "ToolButton2")->click();
        test::child<widgets::BitBtn>(&window, "BitBtn2")->click(); // Cancel keeps the fields too
    }
    TfSDK window(ini);
    window.show();
    EXPECT_EQ(test::child<tools::FilenameEdit>(&window, "FilenameEdit_FTP")->fileName(), recorder);
    ASSERT_EQ(test::child<QListWidget>(&window, "ListBox_FTPFiles")->count(), 2);

    test::child<QToolButton>(&window, "SpeedButton1")->click();
    EXPECT_EQ(waitForFile(dir.file("Up Loader/args.txt")).toStdString(),
              "folder=/pub/bkp\nfilenames=C:\\a b\\x.rar,C:\\y.zip\n");

    UrlRecorder opened;
    QDesktopServices::setUrlHandler("file", &opened, "open");
    test::child<QToolButton>(&window, "SpeedButton2")->click();
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(opened.opened.size(), 1);
    EXPECT_EQ(opened.opened[0], QUrl::fromLocalFile(script));
    EXPECT_EQ(platform::IniFile(script).readString("Aviso de atualização", "Instalador:"),
              "/srv/out\\.exe");
    for (const auto &s : dialogs.shown())
        EXPECT_EQ(s.folder, AppSubFolder());
}

} // namespace
