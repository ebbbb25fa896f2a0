// "SQL" in a shown SQL console on a select of 100,000 rows through the Firebird
// server: the time from the click until the result grid has painted its first
// screen, and then the navigator's "last" until the grid has painted the last row,
// against isql-fb writing the same rows to a file, in one run.
#include "bigresult.h"
#include "db/query.h"
#include "tools/fbconsole.h"
#include "widgets/dbgrid.h"
#include "widgets/dbnavigator.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QToolButton>
#include <cstdio>

using namespace bkp;
using namespace bench;

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString name = QStringLiteral("127.0.0.1:") + dir.filePath("bench.fdb");
    fill(name);
    Connection c(name, false);

    std::vector<double> firstScreen, lastRow, isql;
    for (int round = 0; round < 3; ++round) {
        tools::TfFBConsole console;
        console.Prepare(&c.database, QString(), false, QString());
        console.resize(1200, 800);
        console.show();
        QApplication::processEvents();
        console.editor()->setPlainText(kSelect);
        auto *sql = console.findChild<QToolButton *>("ToolButton_SQL");
        widgets::DBGrid *grid = console.resultGrid();

        QElapsedTimer t;
        t.start();
        sql->click();
        QApplication::processEvents();
        grid->viewport()->repaint();
        firstScreen.push_back(t.nsecsElapsed() / 1e6);
        const int readFirst = console.session()->query().recordCount();

        t.restart();
        console.findChild<widgets::DBNavigator *>("DBNavigator_SQL")
            ->button(widgets::DBNavigator::Last)
            ->click();
        QApplication::processEvents();
        grid->viewport()->repaint();
        lastRow.push_back(t.nsecsElapsed() / 1e6);
        if (console.session()->query().recNo() != kRows) {
            std::printf("the grid is on row %d, not %d\n", console.session()->query().recNo(),
                        kRows);
            return 1;
        }
        if (round == 0)
            std::printf("first screen read %d rows\n", readFirst);
        console.session()->query().close();
        c.transaction.commit();

        const double ms = isqlToFile(name, dir.filePath("isql.txt"));
        if (ms < 0) {
            std::printf("isql-fb failed\n");
            return 1;
        }
        isql.push_back(ms);
    }
    std::printf("Drove: a shown TfFBConsole (platform %s), \"SQL\" on \"%s\" (%d rows of ten "
                "mixed columns, Firebird server at 127.0.0.1), then DBNavigator_SQL's Last; "
                "each until DBGrid1 painted. Three rounds, medians.\n",
                qPrintable(QGuiApplication::platformName()), kSelect, kRows);
    std::printf("first screen painted: %.1f ms (target < 100 ms)\n", median(firstScreen));
    std::printf("to the last row painted: %.0f ms\n", median(lastRow));
    std::printf("isql-fb writing the same rows to a file: %.0f ms\n", median(isql));
    std::printf("ratio last row / isql-fb: %.2f (target <= 1.20)\n",
                median(lastRow) / median(isql));
    return 0;
}
