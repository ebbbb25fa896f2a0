#include "tools/consolelistings.h"

#include "db/dataroutines.h"
#include "db/query.h"
#include "platform/hostinfo.h"
#include "reports/visualreport.h"
#include "support/firebird.h"
#include "support/recordingports.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"
#include "support/urlrecorder.h"
#include "widgets/dbgrid.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace bkp;
using namespace bkp::tools;

namespace {

class ConsoleListingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        fdb = std::make_unique<test::TestDatabase>(dir.file("console.fdb"));
        db::ExecSQL(fdb->get(), "create table PECAS (ID integer, NOME varchar(20))");
        fdb->get()->defaultTransaction()->commitRetaining();
        db::ExecSQL(fdb->get(), "insert into PECAS values (1, 'Parafuso')");
        q.setDatabase(fdb->get());
        q.setSqlText("select * from PECAS");
        q.open();
        grid.setDataSet(&q);
        context.data = &q;
        context.grid = &grid;
        context.lastStatement = "select * from PECAS";
        context.tableName = "PECAS";
        context.statusBar = &bar;
        context.controls = {&button};
        QDesktopServices::setUrlHandler("file", &opened, "open");
    }
    void TearDown() override { QDesktopServices::unsetUrlHandler("file"); }
    test::TempDir dir;
    std::unique_ptr<test::TestDatabase> fdb;
    db::Query q;
    widgets::DBGrid grid;
    QPushButton button;
    RecordingStatusBar bar;
    test::UrlRecorder opened;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped{&dialogs};
    ConsoleListingContext context;
};

} // namespace

TEST_F(ConsoleListingsTest, TheHtmlListingAsksTitleAndFileThenOpensItOrTellsWhy) {
    const QString file = dir.file("Listagem.html");
    dialogs.answerText("listagem das peças");
    dialogs.answerText(file);
    ConsoleListings(context).SaveToHTML();
    ASSERT_EQ(dialogs.shown().size(), 2);
    EXPECT_EQ(dialogs.shown()[0].value, "Listagem da tabela PECAS");
    EXPECT_EQ(dialogs.shown()[1].folder, platform::tempFolder() + "/Listagem Das Peças.html");
    EXPECT_EQ(dialogs.shown()[1].filter, "HTML Files|*.htm*");
    EXPECT_TRUE(QFile::exists(file));
    ASSERT_EQ(opened.opened.size(), 1);
    EXPECT_EQ(bar.panelText(3), "Gerado arquivo " + file);

    // A file that cannot be written: the operator is told, nothing opens.
    dialogs.clear();
    dialogs.answerText("x");
    dialogs.answerText(dir.file("nao/existe/x.html"));
    ConsoleListings(context).SaveToHTML();
    ASSERT_EQ(dialogs.shown().size(), 3);
    EXPECT_TRUE(
        dialogs.shown()[2].text.startsWith("Ocorreu um erro durante a geração do arquivo HTML:\r"));
    EXPECT_TRUE(bar.panelText(3).startsWith("Erro: "));
    EXPECT_EQ(opened.opened.size(), 1);
}

TEST_F(ConsoleListingsTest, TheGridExportGivesItsControlsBackAndCommandsNeedRecords) {
    dialogs.answerText("");
    ConsoleListings(context).DBGridToHTML();
    EXPECT_TRUE(button.isEnabled());
    ASSERT_EQ(opened.opened.size(), 1);
    EXPECT_EQ(opened.opened[0].toLocalFile(), ConsoleListings::gridHtmlPath());

    // A page the disk could not take whole is reported, not opened.
    const QString name = QFileInfo(ConsoleListings::gridHtmlPath()).fileName();
    ASSERT_TRUE(QFile::link("/dev/full", dir.file(name)));
    const QByteArray tmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", dir.path().toUtf8());
    dialogs.answerText("");
    try {
        ConsoleListings(context).DBGridToHTML();
        ADD_FAILURE() << "a failed write was taken for a listing";
    } catch (const std::runtime_error &e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith("Não foi possível gravar o arquivo "));
    }
    qputenv("TMPDIR", tmp);
    EXPECT_TRUE(button.isEnabled());
    EXPECT_EQ(opened.opened.size(), 1);

    q.close();
    q.setSqlText("select * from PECAS where ID < 0");
    q.open();
    dialogs.clear();
    ConsoleListings(context).ReportClick();
    ConsoleListings(context).Etiquetas();
    ASSERT_EQ(dialogs.shown().size(), 2);
    for (const auto &shown : dialogs.shown())
        EXPECT_EQ(shown.text, "Não existem registros para geração da listagem.");

    QStringList editor{"delete from PECAS"};
    ConsoleListings::ScripEtiquetas(editor);
    EXPECT_EQ(dialogs.shown().last().text, "Não existe instrução SQL para inserir script.");
    EXPECT_EQ(editor.size(), 1);
}

TEST(VisualReportColumns, AreAsWideAsTheirFieldsSoLongTextsAndLargeNumbersShowWhole) {
    test::TempDir dir;
    test::TestDatabase fdb(dir.file("visual.fdb"));
    db::ExecSQL(fdb.get(), "create table ITENS (N smallint, DESCRICAO varchar(60), "
                           "TOTAL numeric(18,2))");
    fdb->defaultTransaction()->commitRetaining();
    const struct {
        const char *insert;
        QString description, total;
    } rows[] = {
        {"1, 'Parafuso sextavado de aço inox com porca', 1234567890.12",
         "Parafuso sextavado de aço inox com porca", "1.234.567.890,12"},
        {"2, 'Arruela lisa', -98765432.10", "Arruela lisa", "-98.765.432,1"},
    };
    for (const auto &r : rows)
        db::ExecSQL(fdb.get(), QString("insert into ITENS values (%1)").arg(r.insert));
    db::Query q;
    q.setDatabase(fdb.get());
    q.setSqlText("select * from ITENS order by N");
    q.open();

    widgets::DBGrid grid;
    reports::VisualReport report;
    SetUpVisualReport(report, q, "Itens", grid.fontMetrics());
    const QString pdf = dir.file("itens.pdf");
    ASSERT_TRUE(report.printToPdf(pdf));
    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    if (!text.waitForStarted(10000))
        GTEST_SKIP() << "pdftotext is not installed";
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString page = QString::fromUtf8(text.readAllStandardOutput());
    for (const auto &r : rows) {
        EXPECT_TRUE(page.contains(r.description)) << r.description.toStdString();
        EXPECT_TRUE(page.contains(r.total)) << r.total.toStdString();
    }
    EXPECT_FALSE(page.contains(QChar(0x2026))) << page.toStdString();
}
