#include "platform/inifile.h"

#include "support/tempdir.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "support/printers.h"
#include <unistd.h>

using bkp::platform::IniFile;
using bkp::platform::IniWriteError;
using bkp::test::TempDir;

namespace {

const QByteArray kSettings = "; BKPZelto settings\n"
                             "# written by hand\n"
                             "\n"
                             "[geral]\n"
                             "UpdateFile=01/09/2026 10:00:00\n"
                             "  ; the last start\n"
                             "\n"
                             "[DataBase]\n"
                             "DataBaseName = /srv/dados/BKPZELTO.FB\n"
                             "\n"
                             "; FTP settings follow\n"
                             "[Other]\n"
                             "a=1\n";

} // namespace

TEST(IniFile, EditsLeaveCommentsAndOtherSectionsAsTheyWere) {
    TempDir dir;
    const QString path = dir.write("bkpzelto.Ini", kSettings);
    IniFile ini(path);

    ini.writeString("Geral", "UpdateFile", "05/09/2026 20:05:00");
    ini.writeString("GERAL", "Extra", "x");
    ini.writeString("DataBase", "DataBaseName", "/srv/outra/BKP.FB");
    ini.writeString("FTP", "Host", "ftp.zelto.com.br");
    ini.writeInteger("other", "b", 2);

    EXPECT_EQ(dir.read("bkpzelto.Ini").toStdString(), "; BKPZelto settings\n"
                                                      "# written by hand\n"
                                                      "\n"
                                                      "[geral]\n"
                                                      "UpdateFile=05/09/2026 20:05:00\n"
                                                      "Extra=x\n"
                                                      "  ; the last start\n"
                                                      "\n"
                                                      "[DataBase]\n"
                                                      "DataBaseName = /srv/outra/BKP.FB\n"
                                                      "\n"
                                                      "; FTP settings follow\n"
                                                      "[Other]\n"
                                                      "a=1\n"
                                                      "b=2\n"
                                                      "[FTP]\n"
                                                      "Host=ftp.zelto.com.br\n");
}

TEST(IniFile, SectionsAndKeysMatchIgnoringCaseAndValuesAreTrimmed) {
    TempDir dir;
    const QString path = dir.write("x.ini", "[geral]\n"
                                            "  UPDATEFILE  =   01/09/2026 10:00:00   \n"
                                            "Quoted=\"  with blanks  \"\n"
                                            "Single='a b'\n"
                                            "Open=\"abc\n"
                                            "Empty=\n"
                                            "first=1\n"
                                            "FIRST=2\n"
                                            "[ Setup ]\n"
                                            "AppName=X\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readString("Geral", "UpdateFile"), "01/09/2026 10:00:00");
    EXPECT_EQ(ini.readString("GERAL", "quoted"), "  with blanks  ");
    EXPECT_EQ(ini.readString("Geral", "Single"), "a b");
    EXPECT_EQ(ini.readString("Geral", "Open"), "\"abc");
    EXPECT_EQ(ini.readString("Geral", "Empty", "default"), "");
    EXPECT_EQ(ini.readString("Geral", "Missing", "default"), "default");
    EXPECT_EQ(ini.readString("Nowhere", "UpdateFile", "default"), "default");
    EXPECT_EQ(ini.readString("Geral", "First"), "1");
    EXPECT_EQ(ini.readString("setup", "appname"), "X");
    EXPECT_TRUE(ini.sectionExists("SETUP"));
    EXPECT_FALSE(ini.sectionExists("FTP"));
    EXPECT_TRUE(ini.valueExists("geral", "empty"));
    EXPECT_FALSE(ini.valueExists("geral", "missing"));
    EXPECT_EQ(ini.readSections(), QStringList({"geral", "Setup"}));
    EXPECT_EQ(ini.readSection("GERAL"),
              QStringList({"UPDATEFILE", "Quoted", "Single", "Open", "Empty", "first"}));

    // A rewritten key keeps its spelling and the blanks around "=".
    ini.writeString("Geral", "updatefile", "02/09/2026 08:00:00");
    EXPECT_TRUE(dir.read("x.ini").startsWith("[geral]\n  UPDATEFILE  =   02/09/2026 08:00:00\n"));
}

TEST(IniFile, EveryChangeIsOnDiskAtOnce) {
    TempDir dir;
    const QString path = dir.file("new.Ini");
    IniFile first(path);
    EXPECT_FALSE(QFileInfo::exists(path));
    first.writeString("Geral", "UpdateFile", "agora");
    EXPECT_TRUE(QFileInfo::exists(path));

    IniFile second(path);
    EXPECT_EQ(second.readString("geral", "updatefile"), "agora");

    // Neither object overwrites the other's change with a stale copy.
    second.writeString("FTP", "Host", "h");
    first.writeString("FTP", "Login", "l");
    EXPECT_EQ(second.readString("FTP", "Login"), "l");
    EXPECT_EQ(first.readString("FTP", "Host"), "h");
    EXPECT_EQ(dir.read("new.Ini"), "[Geral]\nUpdateFile=agora\n[FTP]\nHost=h\nLogin=l\n");
}

TEST(IniFile, AFileThatCannotBeWrittenRaisesAnErrorNamingIt) {
    TempDir dir;
    const QString inMissingFolder = dir.file("nao/existe/x.Ini");
    try {
        IniFile(inMissingFolder).writeString("Geral", "A", "1");
        FAIL() << "no error";
    } catch (const IniWriteError &e) {
        EXPECT_EQ(e.text(), "Unable to write to " + inMissingFolder);
    }

    const QString underAFile = dir.write("plain") + "/x.Ini";
    EXPECT_THROW(IniFile(underAFile).writeBool("Geral", "A", true), IniWriteError);
    EXPECT_THROW(IniFile(underAFile).updateFile(), IniWriteError);

    // A read-only file is refused (also when running as the superuser) and stays unchanged.
    const QString readOnly = dir.write("ro.Ini", "[Geral]\nA=1\n");
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    IniFile ro(readOnly);
    EXPECT_THROW(ro.writeString("Geral", "A", "2"), IniWriteError);
    EXPECT_THROW(ro.eraseSection("Geral"), IniWriteError);
    EXPECT_EQ(dir.read("ro.Ini"), "[Geral]\nA=1\n");
    EXPECT_EQ(ro.readString("Geral", "A"), "1");
}

TEST(IniFile, AReadOnlyFolderIsRefused) {
    if (geteuid() == 0)
        GTEST_SKIP() << "the superuser writes into read-only folders";
    TempDir dir;
    const QString folder = dir.file("ro");
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_THROW(IniFile(folder + "/x.Ini").writeString("Geral", "A", "1"), IniWriteError);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(IniFile, KeepsTheLineEndingsAndEncodingOfTheFile) {
    TempDir dir;
    // An installer script with CRLF line endings, Windows-1252 text and no final line break.
    const QByteArray script = "; Script generated by the Inno Setup Script Wizard.\r\n"
                              "[Setup]\r\n"
                              "AppName=Velho\r\n"
                              "OutputDir=C:\\out\r\n"
                              "\r\n"
                              "[Aviso de atualiza\xE7\xE3o]\r\n"
                              "Antigo=sim\r\n"
                              "\r\n"
                              "[Code]\r\n"
                              "procedure X; begin Caption := 'Atualiza\xE7\xE3o'; end;";
    const QString path = dir.write("setup.iss", script);
    IniFile ini(path);
    EXPECT_EQ(ini.readSections(),
              QStringList({"Setup", QString::fromUtf8("Aviso de atualização"), "Code"}));

    ini.writeString("Setup", "AppName", QString::fromUtf8("BKPZelto - Gerenciador de backups"));
    ini.writeString("Setup", "UninstallLogMode", "overwrite");
    ini.eraseSection(QString::fromUtf8("AVISO DE ATUALIZAÇÃO"));
    ini.writeString(QString::fromUtf8("Aviso de atualização"), "Sistema", "BKPZelto");
    ini.writeString(QString::fromUtf8("Aviso de atualização"), "Instalador:", "C:\\out\\setup.exe");

    EXPECT_EQ(dir.read("setup.iss"),
              QByteArray("; Script generated by the Inno Setup Script Wizard.\r\n"
                         "[Setup]\r\n"
                         "AppName=BKPZelto - Gerenciador de backups\r\n"
                         "OutputDir=C:\\out\r\n"
                         "UninstallLogMode=overwrite\r\n"
                         "\r\n"
                         "\r\n"
                         "[Code]\r\n"
                         "procedure X; begin Caption := 'Atualiza\xE7\xE3o'; end;\r\n"
                         "[Aviso de atualiza\xE7\xE3o]\r\n"
                         "Sistema=BKPZelto\r\n"
                         "Instalador:=C:\\out\\setup.exe\r\n"));
    EXPECT_EQ(ini.readSection(QString::fromUtf8("aviso de atualização")),
              QStringList({"Sistema", "Instalador:"}));

    // A UTF-8 file with a byte order mark stays UTF-8 with its mark.
    const QString utf8 = dir.write("u.ini", "\xEF\xBB\xBF[Geral]\nNome=Jo\xC3\xA3o\n");
    IniFile u(utf8);
    EXPECT_EQ(u.readString("geral", "nome"), QString::fromUtf8("João"));
    u.writeString("Geral", "Cidade", QString::fromUtf8("São Paulo"));
    EXPECT_EQ(dir.read("u.ini"),
              "\xEF\xBB\xBF[Geral]\nNome=Jo\xC3\xA3o\nCidade=S\xC3\xA3o Paulo\n");
}

// The section the publisher erases may hold the script's only accents; what it
// writes back afterwards is still in the encoding the file was read with.
TEST(IniFile, KeepsTheEncodingItReadAfterTheFileTurnedPlainAscii) {
    const struct {
        const char *encoding;
        QByteArray section; // "Aviso de atualização" in that encoding
    } cases[] = {{"Windows-1252", "Aviso de atualiza\xE7\xE3o"},
                 {"UTF-8", "Aviso de atualiza\xC3\xA7\xC3\xA3o"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.encoding);
        TempDir dir;
        const QString path =
            dir.write("setup.iss", "[Setup]\r\nAppName=X\r\n[" + c.section + "]\r\nA=1\r\n");
        IniFile ini(path);
        const QString section = QString::fromUtf8("Aviso de atualização");
        ini.eraseSection(section);
        ini.writeString(section, "Sistema", "BKPZelto");
        EXPECT_EQ(dir.read("setup.iss"),
                  "[Setup]\r\nAppName=X\r\n[" + c.section + "]\r\nSistema=BKPZelto\r\n");
    }
}

TEST(IniFile, NumbersAndFlags) {
    TempDir dir;
    const QString path = dir.write("n.ini", "[G]\nzero=0\none=1\nminus=-1\nhex=0x1F\nword=sim\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readInteger("G", "hex"), 31);
    EXPECT_EQ(ini.readInteger("G", "minus"), -1);
    EXPECT_EQ(ini.readInteger("G", "word", 7), 7);
    EXPECT_EQ(ini.readInteger("G", "missing", 7), 7);
    EXPECT_FALSE(ini.readBool("G", "zero", true));
    EXPECT_TRUE(ini.readBool("G", "one"));
    EXPECT_TRUE(ini.readBool("G", "minus"));
    EXPECT_TRUE(ini.readBool("G", "word", true));
    EXPECT_FALSE(ini.readBool("G", "word", false));
    ini.writeBool("G", "flag", true);
    ini.writeInteger("G", "count", -12);
    EXPECT_EQ(ini.readString("G", "flag"), "1");
    EXPECT_EQ(ini.readInteger("G", "count"), -12);
}

TEST(IniFile, EraseAndDeleteRemoveOnlyTheirLines) {
    TempDir dir;
    const QString path = dir.write("e.ini", "[A]\nx=1\n; about B\n[B]\ny=2\nz=3\n[a]\nw=4\n");
    IniFile ini(path);
    ini.deleteKey("b", "Y");
    EXPECT_EQ(dir.read("e.ini"), "[A]\nx=1\n; about B\n[B]\nz=3\n[a]\nw=4\n");
    ini.eraseSection("A"); // both spellings, the comment before [B] stays
    EXPECT_EQ(dir.read("e.ini"), "; about B\n[B]\nz=3\n");
    EXPECT_FALSE(ini.sectionExists("a"));
    ini.deleteKey("B", "missing");
    ini.eraseSection("missing");
    EXPECT_EQ(dir.read("e.ini"), "; about B\n[B]\nz=3\n");

    // A last line without a line break gets one before a new line follows it.
    const QString noBreak = dir.write("nb.ini", "[A]\nx=1");
    IniFile nb(noBreak);
    nb.writeString("A", "y", "2");
    EXPECT_EQ(dir.read("nb.ini"), "[A]\nx=1\ny=2\n");
}

TEST(IniFile, UpdateFileCreatesAnEmptyFileAndLeavesAnExistingOneAlone) {
    TempDir dir;
    // What every start does with the second settings file: it exists afterwards, empty.
    const QString path = dir.file("BKPZELTO_Backups.Ini");
    IniFile ini(path);
    const QString section = "tmp_" + path;
    ini.writeString(section, "Date", "05/09/2026 20:05:00");
    ini.updateFile();
    ini.eraseSection(section);
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(dir.read("BKPZELTO_Backups.Ini"), "");

    const QString untouched = dir.file("none.ini");
    IniFile(untouched).updateFile();
    EXPECT_TRUE(QFileInfo::exists(untouched));

    const QString kept = dir.write("kept.ini", "[A]\r\nx = 1  \r\n");
    IniFile(kept).updateFile();
    EXPECT_EQ(dir.read("kept.ini"), "[A]\r\nx = 1  \r\n");
}

TEST(IniFile, FindsItsFileInAnotherLetterCase) {
    TempDir dir;
    dir.write("Prog/BKPZELTO.INI", "[Geral]\nA=1\n");
    IniFile ini(dir.file("PROG/bkpzelto.Ini"));
    EXPECT_EQ(ini.readString("Geral", "A"), "1");
    ini.writeString("Geral", "B", "2");
    EXPECT_EQ(dir.read("Prog/BKPZELTO.INI"), "[Geral]\nA=1\nB=2\n");
    EXPECT_FALSE(QFileInfo::exists(dir.file("Prog/bkpzelto.Ini")));

    // Writing keeps the file's permissions.
    QFile::setPermissions(dir.file("Prog/BKPZELTO.INI"), QFile::ReadOwner | QFile::WriteOwner);
    ini.writeString("Geral", "C", "3");
    const QFile::Permissions modeBits(0x7077); // owner, group and others
    EXPECT_EQ(QFile::permissions(dir.file("Prog/BKPZELTO.INI")) & modeBits,
              QFile::ReadOwner | QFile::WriteOwner);
}
