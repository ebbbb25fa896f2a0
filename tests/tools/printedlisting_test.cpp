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

TEST(PrintedListing, PrintsEveryNumberWholeAndEndsACutTextWithAnEllipsis) {
    test::TempDir dir;
    test::TestDatabase fdb(dir.file("numbers.fdb"));
    db::ExecSQL(fdb.get(), "create table CONTAS (NOME varchar(60), VALOR numeric(18,2))");
    fdb->defaultTransaction()->commitRetaining();
    const QString longName = "Uma conta de nome longo demais para a coluna";
    const struct {
        QString name;
        const char *value;
        QString printedName, printedValue;
    } rows[] = {
        {"Negativa", "-123456789.12", "Negativa", "-123.456.789,12"},
        {longName, "1234567890.12", longName.left(39) + QChar(0x2026), "1.234.567.890,12"},
    };
    for (const auto &r : rows)
        db::ExecSQL(fdb.get(),
                    QString("insert into CONTAS values ('%1', %2)").arg(r.name, r.value));
    db::Query q;
    q.setDatabase(fdb.get());
    q.setSqlText("select * from CONTAS order by VALOR");
    q.open();

    reports::ReportPrinter report;
    FillPrintedListing(report, q, {QString(), "Contas", QString(), QString(), {"VALOR"}});
    const QStringList lines = report.pageLines(1);
    ASSERT_GE(lines.size(), 3);
    const QString pdf = dir.file("contas.pdf");
    ASSERT_TRUE(report.printToPdf(pdf));
    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    const bool readable = text.waitForStarted(10000) && text.waitForFinished(30000);
    const QString page = QString::fromUtf8(text.readAllStandardOutput());
    for (int i = 0; i < 2; ++i) {
        const auto &r = rows[i];
        EXPECT_EQ(lines[i].simplified(), r.printedName + " " + r.printedValue) << r.value;
        if (readable) {
            EXPECT_TRUE(page.contains(r.printedValue)) << r.value;
        }
    }
    EXPECT_EQ(lines[2].simplified(), "1.111.111.101,00") << "the grand sum";
}
