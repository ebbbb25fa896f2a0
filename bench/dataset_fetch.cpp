// Reading a 100,000-row select of ten mixed columns into a data set through the
// Firebird server, against isql-fb writing the same rows to a file from the same
// server: (a) the time until the first 50 rows are in the data set, as a grid asks
// for its first screen; (b) the time until every row is read (last()).
#include "bigresult.h"
#include "db/query.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>

using namespace bkp;
using namespace bench;

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString name = QStringLiteral("127.0.0.1:") + dir.filePath("bench.fdb");
    fill(name);

    Connection c(name, false);
    std::vector<double> first, all, isql;
    for (int round = 0; round < 3; ++round) {
        db::Query q;
        q.setDatabase(&c.database);
        q.setSqlText(kSelect);
        QElapsedTimer t;
        t.start();
        q.open();
        q.setRecNo(50);
        first.push_back(t.nsecsElapsed() / 1e6);
        if (q.recordCount() >= 1000) {
            std::printf("the first screen read %d rows\n", q.recordCount());
            return 1;
        }
        q.last();
        all.push_back(t.nsecsElapsed() / 1e6);
        if (q.recordCount() != kRows) {
            std::printf("read %d rows instead of %d\n", q.recordCount(), kRows);
            return 1;
        }
        q.close();
        c.transaction.commit();

        QProcess p;
        const QString out = dir.filePath("isql.txt");
        t.restart();
        p.start("isql-fb",
                {"-q", "-user", "SYSDBA", "-password", jobdb::AdminPassword, "-o", out, name});
        p.write(QByteArray(kSelect) + ";\n");
        p.closeWriteChannel();
        if (!p.waitForFinished(120000) || p.exitCode() != 0) {
            std::printf("isql-fb failed\n");
            return 1;
        }
        isql.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("Drove: db::Query over the Firebird server at 127.0.0.1, %d rows of ten mixed "
                "columns (\"%s\"), three rounds, medians.\n",
                kRows, kSelect);
    std::printf("(a) first 50 rows in the data set: %.1f ms (target < 50 ms)\n", median(first));
    std::printf("(b) every row read into the data set: %.0f ms\n", median(all));
    std::printf("    isql-fb writing the same rows to a file: %.0f ms\n", median(isql));
    std::printf("    ratio (b) / isql-fb: %.2f (target <= 1.20)\n", median(all) / median(isql));
    return 0;
}
