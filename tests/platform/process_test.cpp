#include "platform/process.h"

#include "support/tempdir.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>

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

// An archive run's line: thousands of masks below the same folders, written in
// another letter case. Each folder is listed once for the whole line.
TEST(Process, ALineOfManyWordsListsEachFolderOnce) {
    TempDir dir;
    dir.write("Dados/Sub/a.dbf");
    const QString base = dir.path();
    QString line = "sh -c exit";
    QStringList expected{"-c", "exit"};
    for (int row = 0; row < 2000; ++row) {
        const QString mask = "*.M" + QString::number(row % 17);
        line += " " + base + "/DADOS/SUB/" + mask;
        expected.append(base + "/Dados/Sub/" + mask);
    }
    fs::Resolver resolver;
    const CommandLine c = parseCommandLine(line, &resolver);
    EXPECT_EQ(c.program, QStandardPaths::findExecutable("sh"));
    EXPECT_EQ(c.arguments, expected);
    // The folder above "DADOS", "Dados" (for "SUB") and "Sub" (for the masks).
    EXPECT_EQ(resolver.listings(), 3);
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

// The archiver's process: a session of its own, output straight into its file, its
// end learnt from the event loop by its own pid, the end of one that is not a child
// seen without its code.
TEST(WatchedProcess, RunsInItsOwnSessionWritesItsFileAndTellsItsEnd) {
    TempDir dir;
    const QString script = dir.write("bin/job.sh", "#!/bin/sh\n"
                                                   "echo \"$1 $(ps -o sid= -p $$ | tr -d ' ')\"\n"
                                                   "echo erro >&2\n"
                                                   "sleep \"$2\"\n"
                                                   "exit \"$3\"\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    struct Case {
        QString args;
        ProcessEnd::Kind kind;
        int code;
    };
    const QList<Case> cases = {{"um 0 0", ProcessEnd::Kind::Exited, 0},
                               {"dois 0 3", ProcessEnd::Kind::Exited, 3},
                               {"tres 30 0", ProcessEnd::Kind::Signalled, 9}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.toStdString());
        const QString out = dir.file("saida.txt");
        std::unique_ptr<WatchedProcess> p(WatchedProcess::start(script + " " + c.args, out));
        ASSERT_TRUE(p);
        EXPECT_GT(p->startTicks(), 0u);
        EXPECT_EQ(processStartTicks(p->pid()), p->startTicks());
        QSignalSpy ended(p.get(), &WatchedProcess::finished);
        if (c.kind == ProcessEnd::Kind::Signalled) {
            QTest::qWait(300);
            ::kill(pid_t(p->pid()), SIGKILL);
        }
        ASSERT_TRUE(ended.wait(20000));
        const auto end = ended.first().first().value<ProcessEnd>();
        EXPECT_EQ(end.kind, c.kind);
        EXPECT_EQ(end.code, c.code);
        const QStringList lines = QString::fromUtf8(waitForFile(out, 1000)).split('\n');
        ASSERT_EQ(lines.size(), 3);
        // Its session is its own: the session id is its pid.
        EXPECT_EQ(lines[0], c.args.section(' ', 0, 0) + " " + QString::number(p->pid()));
        EXPECT_EQ(lines[1], "erro");
        EXPECT_EQ(processStartTicks(p->pid()), 0u); // gone
        QFile::remove(out);
    }

    // Nothing to start: the program named is the first word.
    QString program;
    EXPECT_FALSE(WatchedProcess::start("/nao/existe a b", dir.file("x.txt"), &program));
    EXPECT_EQ(program, "/nao/existe");

    // Watched without being a child: the end is seen, its code is not.
    std::unique_ptr<WatchedProcess> child(WatchedProcess::start(script + " quatro 1 5", QString()));
    ASSERT_TRUE(child);
    std::unique_ptr<WatchedProcess> other(
        WatchedProcess::attach(child->pid(), child->startTicks()));
    ASSERT_TRUE(other);
    EXPECT_FALSE(WatchedProcess::attach(child->pid(), child->startTicks() + 1));
    QSignalSpy ended(other.get(), &WatchedProcess::finished);
    ASSERT_TRUE(ended.wait(20000));
    EXPECT_EQ(ended.first().first().value<ProcessEnd>().kind, ProcessEnd::Kind::Unknown);
}
