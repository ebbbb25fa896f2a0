#include "reports/reportprinter.h"

#include "support/tempdir.h"

#include <QProcess>
#include <gtest/gtest.h>

using namespace bkp;
using namespace bkp::reports;

namespace {

QString pdfText(const QString &pdf) {
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    if (!p.waitForFinished(30000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

TEST(LineStyle, ListingStylesAndWindowsColours) {
    struct Case {
        const char *text;
        bool underline, bold;
        QColor brush, font;
    } cases[] = {
        {"Underline=True", true, false, QColor(), QColor()},
        {"Brush.Color=clInfoBk", false, false, QColor(255, 255, 225), QColor()},
        {"Brush.Color=cl3DLight;Bold=True", false, true, QColor(227, 227, 227), QColor()},
        {"Font.Color=clNavy; Brush.Color=16248552", false, false, QColor(0xE8, 0xEE, 0xF7),
         QColor(0, 0, 128)},
        {"Brush.Color=#102030;Underline=false", false, false, QColor(0x10, 0x20, 0x30), QColor()},
        {"Brush.Color=naoexiste", false, false, QColor(), QColor()},
    };
    for (const Case &c : cases) {
        const LineStyle s = LineStyle::parse(c.text);
        EXPECT_EQ(s.underline, c.underline) << c.text;
        EXPECT_EQ(s.bold, c.bold) << c.text;
        EXPECT_EQ(s.brush, c.brush) << c.text;
        EXPECT_EQ(s.font, c.font) << c.text;
    }
}

TEST(ReportPrinter, PagesFillAsLinesAreAddedAndEachPrintsTheHeader) {
    ReportPrinter report;
    report.useSettingsOf("TfTeste");
    report.setHeader("Zelto Informática", "Listagem da tabela CLIENTES", "Por cidade",
                     "ID    NOME                CIDADE");
    EXPECT_EQ(report.pageNumber(), 1);
    int lastPage = 1;
    QList<int> firstLineOfPage;
    for (int i = 1; i <= 150; ++i) {
        if (report.pageNumber() != lastPage) {
            lastPage = report.pageNumber();
            firstLineOfPage.append(i);
        }
        report.addLine(QString("%1 Cliente %1").arg(i, 5), i % 50 == 0 ? "Underline=True" : "");
    }
    // A record line wider than the page still shows its last column.
    report.addLine(QString(150, 'x') + " FIM");
    report.addLine("Total de registro para SAO PAULO: 150", "Brush.Color=cl3DLight");
    report.addDivider();
    report.addLine("150 registros listados.", "Brush.Color=cl3DLight");
    ASSERT_GE(report.pageCount(), 2);
    ASSERT_EQ(firstLineOfPage.size(), report.pageCount() - 1);
    // A page holds as many lines as the first one did.
    EXPECT_EQ(report.pageLines(1).size(), firstLineOfPage.first() - 1);
    EXPECT_EQ(report.pageLines(report.pageCount()).last(), "150 registros listados.");

    test::TempDir dir;
    const QString pdf = dir.file("listagem.pdf");
    ASSERT_TRUE(report.printToPdf(pdf));
    const QString text = pdfText(pdf);
    if (text.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    const QStringList pages = text.split('\f', Qt::SkipEmptyParts);
    EXPECT_EQ(pages.size(), report.pageCount());
    for (int n = 0; n < report.pageCount(); ++n) {
        EXPECT_TRUE(pages[n].contains("Listagem da tabela CLIENTES")) << n;
        EXPECT_TRUE(pages[n].contains(QString("Folha %1").arg(n + 1))) << n;
        EXPECT_TRUE(pages[n].contains("CIDADE")) << n;
    }
    EXPECT_TRUE(pages.last().contains("150 registros listados."));
    EXPECT_TRUE(pages.last().contains(QString(150, 'x') + " FIM"));
    EXPECT_TRUE(text.contains("Zelto Informática"));
}
