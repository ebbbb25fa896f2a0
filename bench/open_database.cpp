// Opening and checking an up-to-date job database against a bare attach of the
// same file, both embedded, in one run. Prints the median of each.
#include "db/database.h"
#include "jobdb/datamodule.h"
#include "jobdb/schema.h"
#include "platform/clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace bkp;

namespace {
double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

class NoPause : public platform::Sleeper {
public:
    void sleep(int) override {}
};
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 30;
    QTemporaryDir dir;
    const QString path = dir.path() + "/BKPZELTO.FB";
    // The opening's one-second pause for its log is not what is measured.
    NoPause noPause;
    platform::ScopedSleeper scoped(&noPause);

    {
        jobdb::TDM dm;
        dm.IBDatabase1->setDatabaseName(path);
        jobdb::MemoryLog log;
        if (!jobdb::OpenDatabaseTables(&dm, QString(), &log))
            return 1;
    }

    std::vector<double> open, bare;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        {
            jobdb::TDM dm;
            dm.IBDatabase1->setDatabaseName(path);
            jobdb::MemoryLog log;
            jobdb::OpenDatabaseTables(&dm, QString(), &log);
            dm.IBTransaction1->commitRetaining();
        }
        open.push_back(t.nsecsElapsed() / 1e6);

        t.restart();
        {
            jobdb::TDM dm;
            dm.IBDatabase1->setDatabaseName(path);
            dm.IBDatabase1->open();
            dm.IBDatabase1->close();
        }
        bare.push_back(t.nsecsElapsed() / 1e6);
    }
    const double o = median(open), b = median(bare);
    std::printf("open and check: %.2f ms   bare attach: %.2f ms   ratio: %.2f (%d rounds)\n", o, b,
                o / b, rounds);
    return 0;
}
