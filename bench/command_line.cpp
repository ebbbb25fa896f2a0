// Reading an archive run's command line of 10,000 file-set rows with 17 masks each
// (about 170,000 words) over 100 folders of 200 files, written in lower case while
// the folders have capitals, as the run builds it. Prints the time to read it.
#include "platform/process.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

using namespace bkp;

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString base = dir.path();
    const int folders = 100;
    for (int f = 0; f < folders; ++f) {
        const QString folder = base + QStringLiteral("/Dados%1").arg(f);
        QDir().mkpath(folder);
        for (int n = 0; n < 200; ++n) {
            QFile file(folder + QStringLiteral("/Arquivo%1.DBF").arg(n));
            file.open(QIODevice::WriteOnly);
        }
    }
    QString line = QStringLiteral("sh -c exit");
    for (int row = 0; row < 10000; ++row)
        for (int mask = 0; mask < 17; ++mask)
            line += QStringLiteral(" %1/dados%2/*.m%3").arg(base).arg(row % folders).arg(mask);

    QElapsedTimer t;
    t.start();
    const platform::CommandLine parsed = platform::parseCommandLine(line);
    std::printf("%lld words, %lld bytes: read in %lld ms\n",
                static_cast<long long>(parsed.arguments.size()),
                static_cast<long long>(line.size()), static_cast<long long>(t.elapsed()));
    return parsed.program.isEmpty() ? 1 : 0;
}
