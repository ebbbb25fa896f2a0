// The console's printed listing of 10,000 rows, grouped by seller with two sums,
// laid out while a shown window holds the result in its grid and the listing's
// progress in its status bar (panel 3), as the console shows them, then written to
// PDF. Given a folder after the row count, it also writes the PDF pages of a small
// sample for the README: the printed listing, the visual report and the labels.
#include "listingwindow.h"

#include "db/database.h"
#include "db/dataroutines.h"
#include "db/query.h"
#include "jobdb/datamodule.h"
#include "lib/pacedstatus.h"
#include "platform/application.h"
#include "reports/labelprinter.h"
#include "reports/reportprinter.h"
#include "reports/visualreport.h"
#include "tools/consolelistings.h"
#include "tools/consolerules.h"
#include "tools/printedlisting.h"
#include "widgets/dbgrid.h"
#include "widgets/framegate.h"
#include "widgets/statusbar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

using namespace bkp;

namespace {

const QString Statement = QStringLiteral(
    "select VENDEDOR, CLIENTE, CIDADE, QTD, VALOR from VENDAS order by VENDEDOR, ID\r\n"
    "/*\r\nTitle=Vendas por vendedor\r\nSubTitle=Dezembro de 2026\r\nGroup=VENDEDOR\r\n"
    "Sum=QTD\r\nSum=VALOR\r\n*/\r\n"
    "/*[Labels] - Parâmetros para geração de etiquetas.\r\nLabel.Height=96\r\n"
    "Label.Columns=3\r\nLabel.Top=36\r\nLabel.Left=24\r\n"
    "Label.CLIENTE.Font=Name=DejaVu Sans;Color=clNavy;Size=12;Bold\r\n"
    "Label.Font=Name=DejaVu Sans;Size=9\r\n*/");

void fill(db::Database &database, int rows) {
    db::ExecSQL(&database, "create table VENDAS (ID integer not null primary key, "
                           "VENDEDOR varchar(20), CLIENTE varchar(30), CIDADE varchar(20), "
                           "QTD integer, VALOR numeric(12,2))");
    database.defaultTransaction()->commitRetaining();
    const QStringList sellers{"Ana", "Bruno", "Carla", "Diego", "Elisa", "Fábio"};
    const QStringList cities{"São Paulo", "Campinas", "Santos", "Jundiaí", "Sorocaba"};
    db::Query insert;
    insert.setDatabase(&database);
    insert.setSqlText(
        "insert into VENDAS values (:ID, :VENDEDOR, :CLIENTE, :CIDADE, :QTD, :VALOR)");
    for (int i = 1; i <= rows; ++i) {
        insert.paramByName("ID").setValue(i);
        insert.paramByName("VENDEDOR").setValue(sellers[(i * 7) % sellers.size()]);
        insert.paramByName("CLIENTE").setValue(QString("Cliente %1").arg(i));
        insert.paramByName("CIDADE").setValue(cities[i % cities.size()]);
        insert.paramByName("QTD").setValue(1 + i % 9);
        insert.paramByName("VALOR").setValue(QString::number(10 + (i * 37) % 900) + ".50");
        insert.execSQL();
    }
    database.defaultTransaction()->commitRetaining();
}

tools::PrintedListingSetup setupOf(const QString &statement) {
    tools::PrintedListingSetup setup;
    setup.company = "Zelto Informática";
    setup.title = tools::DirectiveValue(statement, "Title");
    setup.subtitle = tools::DirectiveValue(statement, "SubTitle");
    setup.groupField = tools::DirectiveValue(statement, "Group");
    setup.sumFields = tools::DirectiveValues(statement, "Sum");
    return setup;
}

// The sample pages of `query` (a few rows) as PDF files in `folder`.
void writeSamples(db::Query &query, const QFontMetrics &gridFont, const QString &folder) {
    reports::ReportPrinter listing;
    listing.useSettingsOf("TfFBConsole");
    tools::FillPrintedListing(listing, query, setupOf(Statement));
    listing.printToPdf(folder + "/listagem.pdf");
    reports::VisualReport visual;
    tools::SetUpVisualReport(visual, query, "Vendas por vendedor", gridFont);
    visual.printToPdf(folder + "/report-visual.pdf");
    reports::LabelPrinter labels(&query, Statement);
    labels.printToPdf(folder + "/etiquetas.pdf");
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    bench::ListingWindow w;
    db::Database &database = w.database;
    const QTemporaryDir &dir = w.dir;
    fill(database, rows);
    w.show();
    widgets::DBGrid *grid = w.grid;
    widgets::PanelStatusBar *bar = w.bar;

    db::Query query;
    query.setDatabase(&database);
    query.setSqlText(Statement);
    query.setParamCheck(false);
    query.open();
    grid->setDataSet(&query);
    QApplication::processEvents();

    reports::ReportPrinter report;
    report.useSettingsOf("TfFBConsole");
    PacedStatusBar paced(bar, widgets::screenRefreshInterval());
    QElapsedTimer t;
    t.start();
    tools::FillPrintedListing(
        report, query, setupOf(Statement), [&](int recNo, int count, int page) {
            paced.setPanelText(3, tools::ReportProgressText(recNo, count, page));
            if (paced.flushWhenDue())
                platform::processMessages();
        });
    paced.flush();
    const double laidOut = t.nsecsElapsed() / 1e6;
    t.start();
    report.printToPdf(dir.path() + "/listagem.pdf");
    const double pdf = t.nsecsElapsed() / 1e6;
    std::printf("Printed listing of %d rows (%d pages, %lld bytes of PDF), shown grid and status "
                "bar on %s:\n  laid out with the progress paced to the screen: %.1f ms   written "
                "to PDF: %.1f ms\n",
                rows, report.pageCount(), QFile(dir.path() + "/listagem.pdf").size(),
                qPrintable(QGuiApplication::platformName()), laidOut, pdf);

    if (argc > 2)
        writeSamples(query, grid->fontMetrics(), argv[2]);
    query.close();
    database.close();
    return 0;
}
