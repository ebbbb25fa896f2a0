#include "tools/htmllisting.h"

#include "db/dataroutines.h"
#include "db/query.h"
#include "lib/datetime.h"
#include "support/firebird.h"
#include "support/tempdir.h"

#include <QBuffer>
#include <gtest/gtest.h>

using namespace bkp;
using namespace bkp::tools;

namespace {

class HtmlListingTest : public ::testing::Test {
protected:
    void SetUp() override {
        fdb = std::make_unique<test::TestDatabase>(dir.file("listing.fdb"));
        db::ExecSQL(fdb->get(), "create table CLIENTES (ID integer not null primary key, "
                                "NOME varchar(40), SALDO numeric(9,2))");
        fdb->get()->defaultTransaction()->commitRetaining();
        db::ExecSQL(fdb->get(), "insert into CLIENTES values (1, 'Ana & <b>Filhos</b>', 10.5)");
        db::ExecSQL(fdb->get(), "insert into CLIENTES values (2, 'São-Paulo Ltda', -3)");
        db::ExecSQL(fdb->get(), "insert into CLIENTES values (3, 'Zé', 0)");
        fdb->get()->defaultTransaction()->commitRetaining();
    }
    QStringList listing(const QString &where, QList<int> *progress = nullptr) {
        db::Query q;
        q.setDatabase(fdb->get());
        q.setSqlText("select * from CLIENTES " + where + " order by ID");
        q.open();
        HtmlListingInfo info;
        info.title = "listagem da tabela clientes";
        info.company = "Zelto & Cia";
        info.programPath = "/opt/bkp/bkpzelto.bin.x";
        info.databaseName = "/DADOS/BKP.FDB";
        info.statement = "select *\r\nfrom CLIENTES where ID < 5";
        info.when = EncodeDate(2026, 12, 9) + EncodeTime(14, 5, 0);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        WriteHtmlListing(out, q, info, [progress](int recNo, int count) {
            if (progress)
                progress->append(recNo * 10 + count);
        });
        const QByteArray bytes = out.data();
        EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
        return QString::fromUtf8(bytes.mid(3)).split("\r\n");
    }
    test::TempDir dir;
    std::unique_ptr<test::TestDatabase> fdb;
};

} // namespace

TEST_F(HtmlListingTest, RecordsAlternateFromTheOddColourAndNoValueBecomesMarkup) {
    QList<int> progress;
    const QStringList lines = listing(QString(), &progress);
    EXPECT_EQ(progress, QList<int>({13, 23, 33}));
    EXPECT_EQ(lines.at(2), "<head><h1>Listagem Da Tabela Clientes</h1></head>");
    EXPECT_TRUE(lines.contains(
        "<td bgcolor=#FFCC66 align=right >Empresa</td><td>Zelto &amp; Cia&nbsp;</td>"));
    EXPECT_TRUE(lines.contains("<td  bgcolor=#FFCC66  align=right >Data</td><td>Qua 09/Dez/2026 "
                               "14:05&nbsp;</td>"));
    EXPECT_TRUE(lines.contains("<td  bgcolor=#FFCC66 align=right >Aplicativo</td><td>BKPZELTO"
                               "&nbsp;</td>"));
    EXPECT_TRUE(lines.contains("<td  bgcolor=#FFCC66 align=right >Database</td><td>/dados/bkp.fdb"
                               "&nbsp;</td>"));
    const int header = int(lines.indexOf("<th align=right>ID</th>"));
    ASSERT_GT(header, 0);
    EXPECT_EQ(lines.mid(header, 4),
              QStringList({"<th align=right>ID</th>", "<th align=left>NOME</th>",
                           "<th align=right>SALDO</th>", "</tr>"}));
    QStringList rows;
    for (const QString &l : lines)
        if (l.startsWith("<tr bgcolor=#"))
            rows.append(l);
    EXPECT_EQ(
        rows,
        QStringList({"<tr bgcolor=#C3D9FF>", "<tr bgcolor=#E8EEF7>", "<tr bgcolor=#C3D9FF>",
                     "<tr bgcolor=#FFCC33><td>&nbsp;SQL</td>"
                     "<td bgcolor=#CCFF99>select *<br>from CLIENTES where ID &lt; 5</td></tr>"}));
    EXPECT_TRUE(lines.contains("<td>Ana&nbsp;&amp;&nbsp;&lt;b&gt;Filhos&lt;/b&gt;</td>"));
    EXPECT_TRUE(lines.contains("Total de registros: 3"));
    EXPECT_EQ(lines.last(), "");
    EXPECT_EQ(lines.at(lines.size() - 2), "</html>");
}

TEST_F(HtmlListingTest, AnEmptyResultStillHasItsHeaderColumnsTotalAndStatement) {
    const QStringList lines = listing("where ID < 0");
    EXPECT_TRUE(lines.contains("<th align=left>NOME</th>"));
    EXPECT_TRUE(lines.contains("Total de registros: 0"));
    EXPECT_EQ(lines.filter("<tr bgcolor=#C3D9FF>").size(), 0);
    EXPECT_EQ(lines.filter("&nbsp;SQL</td>").size(), 1);
}

TEST_F(HtmlListingTest, TheGridExportFollowsTheColumnsWithDotsForDashes) {
    db::Query q;
    q.setDatabase(fdb->get());
    q.setSqlText("select * from CLIENTES where ID > :DESDE order by ID");
    q.paramByName("DESDE").setValue(1);
    q.open();
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    WriteGridHtml(out, q, {{"Nome do cliente", "NOME"}, {"Saldo", "SALDO"}},
                  {QString(), "CLIENTES", "select <x>", {{"DESDE", "1"}}});
    const QString page = QString::fromUtf8(out.data().mid(3));
    EXPECT_TRUE(page.startsWith("<html>\r\n<body bgcolor=#FFFFCC>\r\nTabela: CLIENTES<hr><table>"
                                "<tr bgcolor=#FFCC33 align=left><th align=left>Nome do cliente"
                                "</th><th align=right>Saldo</th>"
                                "<tr bgcolor=#C3D9FF ><td align=left>São&middot;Paulo&nbsp;Ltda"
                                "</td><td align=right>&middot;3"));
    EXPECT_TRUE(page.contains("<tr bgcolor=#E8EEF7 ><td align=left>Zé</td>"));
    EXPECT_TRUE(page.contains("\r\n\r\n</table>\r\n<hr>\r\n2 registros listados<br><HR>"));
    EXPECT_TRUE(page.contains("&nbsp;SQL</td><td bgcolor=#CCFF99>select &lt;x&gt;</td>"));
    EXPECT_TRUE(page.contains("&nbsp;Params</td><td bgcolor=#CCFF99>DESDE=1<br></td>"));
    EXPECT_TRUE(page.endsWith("</table>\r\n</body>\r\n</html>"));
}

TEST(LabelScript, AddedOnceToAStatementWithASelect) {
    struct Case {
        QStringList lines;
        LabelScriptResult result;
        int added;
    } cases[] = {
        {{"select * from T"}, LabelScriptResult::Inserted, 9},
        {{"select * from T", "  "}, LabelScriptResult::Inserted, 8},
        {{"Select *", "/*[labels] x */"}, LabelScriptResult::AlreadyThere, 0},
        {{"delete from T"}, LabelScriptResult::NoSelect, 0},
    };
    for (Case c : cases) {
        const qsizetype before = c.lines.size();
        EXPECT_EQ(AddLabelScript(c.lines), c.result) << c.lines.join('|').toStdString();
        EXPECT_EQ(c.lines.size() - before, c.added);
        if (c.added) {
            EXPECT_EQ(c.lines.mid(c.lines.size() - 8), LabelScriptLines());
        }
    }
}

TEST(HtmlListingTexts, WordsCapitalisedAndProgressInTheUsersNumbers) {
    EXPECT_EQ(CapitalizeWords("lISTAGEM da  tabela 1a"), "Listagem Da  Tabela 1a");
    const struct {
        QString title, name;
    } names[] = {
        {"vendas 2024/2025", "Vendas 2024-2025.html"},
        {"../../etc/passwd", "..-..-etc-passwd.html"},
        {"a\\b:c*d?e\"f<g>h|i", "A-b-c-d-e-f-g-h-i.html"},
        {QString("linha\none"), "Linha-One.html"},
        {"relatório de peças", "Relatório De Peças.html"},
    };
    for (const auto &n : names)
        EXPECT_EQ(HtmlListingFileName(n.title), n.name) << n.title.toStdString();
    EXPECT_EQ(HtmlProgressText(1, 3), "Gerando HTML... 33,3% - 1 registros exportados");
    EXPECT_EQ(HtmlProgressText(10000, 10000),
              "Gerando HTML... 100,0% - 10000 registros exportados");
}
