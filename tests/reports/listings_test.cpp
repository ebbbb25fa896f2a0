#include "reports/imagebrowser.h"
#include "reports/labelprinter.h"
#include "reports/masterdetail.h"
#include "reports/memoeditor.h"
#include "reports/visualreport.h"

#include "db/dataroutines.h"
#include "db/query.h"
#include "db/table.h"
#include "support/firebird.h"
#include "support/tempdir.h"
#include "widgets/dbnavigator.h"

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace bkp;
using namespace bkp::reports;

namespace {

// The words of a PDF with their boxes in points, as pdftotext reads them.
struct Word {
    QString text;
    double x, y, height;
};

QList<Word> pdfWords(const QString &pdf) {
    QProcess p;
    p.start("pdftotext", {"-bbox", pdf, "-"});
    if (!p.waitForFinished(30000))
        return {};
    QList<Word> words;
    static const QRegularExpression re(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="([\d.]+)">([^<]*)</word>)re");
    for (const auto &m : re.globalMatch(QString::fromUtf8(p.readAllStandardOutput())))
        words.append({m.captured(4), m.captured(1).toDouble(), m.captured(2).toDouble(),
                      m.captured(3).toDouble() - m.captured(2).toDouble()});
    return words;
}

class ListingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        fdb = std::make_unique<test::TestDatabase>(dir.file("labels.fdb"));
        db::ExecSQL(fdb->get(), "create table CLIENTES (NOME varchar(20), CIDADE varchar(20))");
        fdb->get()->defaultTransaction()->commitRetaining();
        for (int i = 1; i <= 4; ++i)
            db::ExecSQL(fdb->get(),
                        QString("insert into CLIENTES values ('Nome%1', 'Cidade%1')").arg(i));
        q.setDatabase(fdb->get());
        q.setSqlText("select * from CLIENTES order by NOME");
        q.open();
    }
    test::TempDir dir;
    std::unique_ptr<test::TestDatabase> fdb;
    db::Query q;
};

} // namespace

TEST_F(ListingsTest, LabelsGoInTheColumnsAndSizesOfTheDirectives) {
    const QString statement =
        "select * from CLIENTES\r\n/*[Labels]\r\nLabel.Height=100\r\n"
        "Label.Columns=3\r\nLabel.Top=20\r\nLabel.Left=30\r\n"
        "Label.NOME.Font=Name=DejaVu Sans;Size=20;Bold\r\nLabel.Font=Size=8\r\n*/";
    LabelPrinter labels(&q, statement);
    EXPECT_EQ(labels.layout().columns, 3);
    const QString pdf = dir.file("labels.pdf");
    ASSERT_TRUE(labels.printToPdf(pdf));
    const QList<Word> words = pdfWords(pdf);
    if (words.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    QHash<QString, Word> at;
    for (const Word &w : words)
        at.insert(w.text, w);
    ASSERT_TRUE(at.contains("Nome1") && at.contains("Nome4") && at.contains("Cidade1"));
    const double width = (595.0 - 30) / 3;
    for (int i = 1; i <= 3; ++i) {
        EXPECT_NEAR(at["Nome" + QString::number(i)].x, 30 + (i - 1) * width, 3) << i;
        EXPECT_NEAR(at["Nome" + QString::number(i)].y, 20, 8) << i;
    }
    // The fourth label starts the second row, one label height lower.
    EXPECT_NEAR(at["Nome4"].x, 30, 3);
    EXPECT_NEAR(at["Nome4"].y - at["Nome1"].y, 100, 1);
    // The name in its own 20-point font, the city in the default 8 points.
    EXPECT_GT(at["Nome1"].height, 2 * at["Cidade1"].height);
    EXPECT_EQ(q.recNo(), 1);
}

TEST_F(ListingsTest, TheVisualReportShowsItsColumnsAndSummary) {
    VisualReport report;
    report.setHeader("Orbelan Informática");
    report.setTitle("Tabela CLIENTES");
    report.setDataSet(&q);
    report.setColor(16248552);
    EXPECT_EQ(report.color(), QColor(0xE8, 0xEE, 0xF7));
    report.setColumns({{"NOME", "Nome", 120}, {"CIDADE", "Cidade", 120}});
    report.setSummary("'Total de registros listados: 4'");
    const QString pdf = dir.file("visual.pdf");
    ASSERT_TRUE(report.printToPdf(pdf));
    QStringList texts;
    for (const Word &w : pdfWords(pdf))
        texts.append(w.text);
    if (texts.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    const QString all = texts.join(' ');
    for (const char *seen : {"Tabela CLIENTES", "Nome Cidade", "Nome1", "Cidade1", "Nome4",
                             "Cidade4", "Total de registros listados: 4"})
        EXPECT_TRUE(all.contains(seen)) << seen;
}

TEST(ImageBrowser, ShowsThePictureOfTheCurrentRecordAsTheDataSetMoves) {
    test::TempDir dir;
    test::TestDatabase fdb(dir.file("fotos.fdb"));
    db::ExecSQL(fdb.get(), "create table FOTOS (ID integer, NOME varchar(10), FOTO blob)");
    fdb->defaultTransaction()->commitRetaining();
    db::Query insert;
    insert.setDatabase(fdb.get());
    insert.setSqlText("insert into FOTOS values (:ID, 'x', :FOTO)");
    for (const QSize size : {QSize(120, 80), QSize(40, 60), QSize()}) {
        QByteArray bytes;
        if (size.isValid()) {
            QImage image(size, QImage::Format_RGB32);
            image.fill(Qt::darkCyan);
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
        }
        insert.paramByName("ID").setValue(size.width());
        insert.paramByName("FOTO").setValue(bytes.isEmpty() ? QVariant() : QVariant(bytes));
        insert.execSQL();
    }
    db::Query q;
    q.setDatabase(fdb.get());
    q.setSqlText("select * from FOTOS order by ID desc");
    q.open();

    reports::TfImageBrowser browser(&q);
    EXPECT_EQ(browser.imageFields(), QStringList({"FOTO"}));
    EXPECT_EQ(browser.currentImage().size(), QSize(120, 80));
    q.next();
    EXPECT_EQ(browser.currentImage().size(), QSize(40, 60));
    browser.DBNavigator1->click(widgets::DBNavigator::Next);
    EXPECT_TRUE(browser.currentImage().isNull());
    EXPECT_EQ(browser.statusText(), "Registro 3: sem imagem");
}

TEST_F(ListingsTest, TheDetailsFollowTheMastersCurrentRow) {
    db::ExecSQL(fdb->get(), "insert into CLIENTES values ('Nome5', 'Cidade1')");
    db::Query cities;
    cities.setDatabase(fdb->get());
    cities.setSqlText("select distinct CIDADE from CLIENTES order by CIDADE");
    cities.open();
    reports::TfMasterDetail window(&cities);
    window.Memo_SQL->setPlainText("select * from CLIENTES where CIDADE = :cidade order by NOME");
    window.BitBtn_Executar->click();
    EXPECT_EQ(window.detail().recordCount(), 2); // Cidade1: Nome1 and Nome5
    window.detail().fetchAll();
    EXPECT_EQ(window.Label_Status->text(), "Registro 1 acima: 2 registros abaixo");
    cities.next();
    EXPECT_EQ(window.detail().recordCount(), 1);
    EXPECT_EQ(window.detail().fieldByName("NOME")->asString(), "Nome2");
}

TEST(MemoEditor, OkStoresTheTextInTheRowAndAReadOnlyResultStaysAsItWas) {
    test::TempDir dir;
    test::TestDatabase fdb(dir.file("memo.fdb"));
    db::ExecSQL(fdb.get(), "create table NOTAS (ID integer not null primary key, "
                           "OBS blob sub_type text)");
    fdb->defaultTransaction()->commitRetaining();
    db::ExecSQL(fdb.get(), "insert into NOTAS values (1, 'antes')");
    db::Table table;
    table.setDatabase(fdb.get());
    table.setTableName("NOTAS");
    table.open();
    for (bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly ? "read-only" : "editable");
        table.setReadOnly(readOnly);
        TfMemoEditor editor(&table, "OBS");
        EXPECT_EQ(editor.editor()->toPlainText(), readOnly ? "depois\nlinha 2" : "antes");
        EXPECT_EQ(editor.editor()->isReadOnly(), readOnly);
        editor.editor()->setPlainText(readOnly ? "ignorado" : "depois\nlinha 2");
        editor.accept();
        EXPECT_EQ(editor.result(), readOnly ? QDialog::Rejected : QDialog::Accepted);
        EXPECT_EQ(table.state(), db::DataSetState::Browse);
    }
    EXPECT_EQ(db::selectRows(fdb.get(), fdb->defaultTransaction(), "select OBS from NOTAS")[0][0]
                  .toString(),
              "depois\nlinha 2");
}
