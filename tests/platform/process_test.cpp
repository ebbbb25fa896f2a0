#include "platform/process.h"

#include "support/tempdir.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>

#include "support/printers.h"

using namespace bkp::platform;
using bkp::test::TempDir;

namespace {

// A program in a folder whose path has blanks: it waits, then writes one
// argument a line into "args.txt" beside itself (renamed into place when complete).
QString writeRecorder(const TempDir &dir, int sleepSeconds) {
    const QString script =
        dir.write("Meus Programas/Rec Tool/rec script.sh",
                  "#!/bin/sh\n"
                  "sleep " +
                      QByteArray::number(sleepSeconds) +
                      "\n"
                      "out=\"$(dirname \"$0\")/args\"\n"
                      "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$out.tmp\"\n"
                      "mv \"$out.tmp\" \"$out.txt\"\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return script;
}

QByteArray waitForFile(const QString &path, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            return f.readAll();
        QThread::msleep(50);
    }
    return QByteArray();
}

} // namespace

TEST(Process, StartsAProgramWithBlanksInItsPathAndReturnsAtOnce) {
    TempDir dir;
    writeRecorder(dir, 2);
    dir.write("dados/Backups/diario.rar");
    const QString base = dir.path();
    // Built in upper case, with runs of blanks, as the archive run builds its line.
    const QString line = base + "/MEUS PROGRAMAS/REC TOOL/REC SCRIPT.SH a -dh  " + base +
                         "/DADOS/BACKUPS/DIARIO.RAR   " + base + "/DADOS/*.DBF -r ";

    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(winExec(line, SW_SHOW));
    EXPECT_LT(t.elapsed(), 1000) << "winExec waited for the program";
    EXPECT_FALSE(QFileInfo::exists(dir.file("Meus Programas/Rec Tool/args.txt")));

    const QByteArray args = waitForFile(dir.file("Meus Programas/Rec Tool/args.txt"), 15000);
    EXPECT_EQ(args.toStdString(),
              ("a\n-dh\n" + base + "/dados/Backups/diario.rar\n" + base + "/dados/*.DBF\n-r\n")
                  .toStdString());
}

TEST(Process, ReadsTheCommandLine) {
    TempDir dir;
    const QString script = writeRecorder(dir, 0);
    const QString base = dir.path();

    dir.write("Dados/a.dbf");
    // Only the program may have blanks in its path: nothing is quoted, so the
    // other words are split wherever there are blanks.
    CommandLine c = parseCommandLine("  " + base + "/meus programas/rec tool/REC SCRIPT.sh   x  " +
                                     base + "/DADOS/NOVO/y.rar " + base + "/dados/A.DBF " + base +
                                     "/meus programas/z");
    EXPECT_EQ(c.program, script);
    EXPECT_EQ(c.arguments, QStringList({"x", base + "/Dados/NOVO/y.rar", base + "/Dados/a.dbf",
                                        base + "/meus", "programas/z"}));

    // A bare name is looked up in PATH; words without a folder are never resolved.
    c = parseCommandLine("sh -c exit");
    EXPECT_EQ(c.program, QStandardPaths::findExecutable("sh"));
    EXPECT_EQ(c.arguments, QStringList({"-c", "exit"}));

    EXPECT_TRUE(parseCommandLine("").program.isEmpty());
    EXPECT_TRUE(parseCommandLine("   ").program.isEmpty());
}

TEST(Process, NothingToStartGivesFalse) {
    TempDir dir;
    const QString plain = dir.write("Programa/leia-me.txt", "not a program");
    EXPECT_FALSE(winExec(dir.path() + "/programa/nao-existe.exe a b"));
    EXPECT_FALSE(winExec(plain + " a b")); // exists, but cannot be run
    EXPECT_FALSE(winExec(dir.path() + "/Programa"));
    EXPECT_FALSE(winExec("bkp-no-such-program-anywhere x"));
    EXPECT_FALSE(winExec(""));
    EXPECT_TRUE(parseCommandLine(plain + " a b").program.isEmpty());
}

TEST(Process, DoubleQuotesGroupWordsIntoOneArgument) {
    TempDir dir;
    const QString script = writeRecorder(dir, 0);
    const QString sh = QStandardPaths::findExecutable("sh");
    const QList<std::tuple<QString, QString, QStringList>> cases{
        {"sh folder=/pub filenames=\"C:\\a b\\x.rar\",C:\\y.zip",
         sh,
         {"folder=/pub", "filenames=C:\\a b\\x.rar,C:\\y.zip"}},
        {"sh \"say \"\"hi\"\"\"  \"\" x", sh, {"say \"hi\"", "", "x"}},
        {"\"" + dir.path() + "/meus programas/rec tool/REC SCRIPT.sh\" a", script, {"a"}},
    };
    for (const auto &[line, program, arguments] : cases) {
        const CommandLine c = parseCommandLine(line);
        EXPECT_EQ(c.program, program) << line.toStdString();
        EXPECT_EQ(c.arguments, arguments) << line.toStdString();
    }
}
