// The console's HTML listing of 10,000 rows written to a file while a shown window
// holds the result in its grid and the listing's progress in its status bar (panel
// 3), as the console shows them. Run once with the progress paced to the screen's
// refresh rate, as the program does, and once painting it for every record.
#include "listingwindow.h"

#include "db/database.h"
#include "db/dataroutines.h"
#include "db/query.h"
#include "jobdb/datamodule.h"
#include "lib/datetime.h"
#include "lib/pacedstatus.h"
#include "platform/application.h"
#include "platform/filesystem.h"
#include "platform/hostinfo.h"
#include "tools/htmllisting.h"
#include "widgets/dbgrid.h"
#include "widgets/framegate.h"
#include "widgets/statusbar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

using namespace bkp;

namespace {

double writeListing(db::Query &query, widgets::PanelStatusBar *bar, int interval,
                    const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return -1;
    PacedStatusBar paced(bar, interval);
    tools::HtmlListingInfo info;
    info.title = "listagem da tabela bench";
    info.company = "Zelto Informática";
    info.user = "operador";
    info.computer = platform::computerName();
    info.programPath = platform::fs::programPath();
    info.databaseName = query.database()->databaseName();
    info.statement = query.sqlText();
    info.when = Now();
    QElapsedTimer t;
    t.start();
    tools::WriteHtmlListing(file, query, info, [&](int recNo, int count) {
        paced.setPanelText(3, tools::HtmlProgressText(recNo, count));
        if (paced.flushWhenDue())
            platform::processMessages();
    });
    paced.flush();
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    bench::ListingWindow w;
    db::Database &database = w.database;
    const QTemporaryDir &dir = w.dir;
    db::ExecSQL(&database, "create table BENCH (ID integer not null primary key, NOME varchar(40), "
                           "CIDADE varchar(30), SALDO numeric(12,2), DATA date, NOTA varchar(80))");
    w.transaction.commitRetaining();
    db::Query insert;
    insert.setDatabase(&database);
    insert.setSqlText("insert into BENCH values (:ID, :NOME, 'São Paulo', :SALDO, current_date, "
                      ":NOTA)");
    for (int i = 1; i <= rows; ++i) {
        insert.paramByName("ID").setValue(i);
        insert.paramByName("NOME").setValue(QString("Cliente %1").arg(i));
        insert.paramByName("SALDO").setValue(i * 1.5);
        insert.paramByName("NOTA").setValue(QString("Observação & <nota> %1").arg(i));
        insert.execSQL();
    }
    w.transaction.commitRetaining();
    w.show();
    widgets::DBGrid *grid = w.grid;
    widgets::PanelStatusBar *bar = w.bar;

    db::Query query;
    query.setDatabase(&database);
    query.setSqlText("select * from BENCH order by ID");
    query.open();
    if (!qEnvironmentVariableIsSet("NOGRID"))
        grid->setDataSet(&query);
    QApplication::processEvents();

    const int frame = widgets::screenRefreshInterval();
    const double paced = writeListing(query, bar, frame, dir.path() + "/paced.html");
    const double every = writeListing(query, bar, 0, dir.path() + "/every.html");
    // A folder given after the row count keeps both pages and a grid export (docs pictures).
    if (argc > 2) {
        QFile::copy(dir.path() + "/paced.html", QString(argv[2]) + "/listing.html");
        QFile grid(QString(argv[2]) + "/grid.htm");
        if (grid.open(QIODevice::WriteOnly))
            tools::WriteGridHtml(grid, query,
                                 {{"ID", "ID"},
                                  {"Nome", "NOME"},
                                  {"Cidade", "CIDADE"},
                                  {"Saldo", "SALDO"},
                                  {"Data", "DATA"},
                                  {"Nota", "NOTA"}},
                                 {"Clientes de teste", "BENCH", query.sqlText(), {}});
    }
    std::printf("HTML listing of %d rows (%lld bytes), shown grid and status bar on %s:\n"
                "  progress paced to the screen (%d ms): %.1f ms   painted for every record: "
                "%.1f ms\n",
                rows, QFile(dir.path() + "/paced.html").size(),
                qPrintable(QGuiApplication::platformName()), frame, paced, every);
    query.close();
    database.close();
    return 0;
}
