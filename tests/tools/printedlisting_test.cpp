#include "tools/printedlisting.h"

#include "db/dataroutines.h"
#include "db/query.h"
#include "reports/reportprinter.h"
#include "support/firebird.h"
#include "support/printers.h"
#include "support/tempdir.h"

#include <QProcess>
#include <gtest/gtest.h>

using namespace bkp;
using namespace bkp::tools;

TEST(PrintedListing, GroupsEndWithTheirSumsAndCountsAndTheListingWithTheGrandOnes) {
    test::TempDir dir;
    test::TestDatabase fdb(dir.file("printed.fdb"));
    db::ExecSQL(fdb.get(), "create table VENDAS (CIDADE varchar(20), CLIENTE varchar(20), "
                           "VALOR numeric(9,2))");
    fdb->defaultTransaction()->commitRetaining();
    for (const char *row :
         {"'Campinas', 'Ana', 10.25", "'São Paulo', 'Bi' || ascii_char(10) || 'a', 1000",
          "'São Paulo', 'Caio', 0.5"})
        db::ExecSQL(fdb.get(), QString("insert into VENDAS values (%1)").arg(row));
    db::Query q;
    q.setDatabase(fdb.get());
    q.setSqlText("select * from VENDAS order by CIDADE, CLIENTE");
    q.open();

    reports::ReportPrinter report;
    QStringList progress;
    FillPrintedListing(report, q, {QString(), "Vendas", "Por cidade", "cidade", {" VALOR "}},
                       [&](int recNo, int count, int page) {
                           progress.append(ReportProgressText(recNo, count, page));
                       });
    EXPECT_EQ(progress.last(), "Gerando relatório... 100,0% - Folha 1");
    QStringList lines = report.pageLines(1);
    for (QString &l : lines) {
        EXPECT_FALSE(l.contains('\n')) << "a stored line break stays on its line";
        l = l.simplified();
    }
    EXPECT_EQ(lines,
              QStringList({"Campinas Ana 10,25", "10,25", "Total de registro para CAMPINAS: 1", "",
                           "São Paulo Bi a 1.000", "São Paulo Caio 0,5", "1.000,50",
                           "Total de registro para SÃO PAULO: 2", "", "1.010,75", "----",
                           "3 registros listados."}));

    const QString pdf = dir.file("vendas.pdf");
    ASSERT_TRUE(report.printToPdf(pdf));
    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    if (!text.waitForStarted(10000))
        GTEST_SKIP() << "pdftotext is not installed";
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString page = QString::fromUtf8(text.readAllStandardOutput());
    for (const char *seen : {"Orbelan Informática", "Vendas", "Por cidade", "CIDADE", "VALOR",
                             "Total de registro para SÃO PAULO: 2", "3 registros listados."})
        EXPECT_TRUE(page.contains(QString::fromUtf8(seen))) << seen;
}
