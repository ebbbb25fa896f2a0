#include "tools/consolerules.h"

#include "db/ordering.h"

#include <gtest/gtest.h>

using namespace bkp;
using namespace bkp::tools;

namespace {

TEST(ConsoleRules, CaptionJoinsBracketsWithABlank) {
    struct Case {
        QString company, user, database, caption;
    } cases[] = {
        {{}, {}, "127.0.0.1:/Data/BKPZELTO.FB", "FBConsole [127.0.0.1:/data/bkpzelto.fb]"},
        {"Zelto", {}, "X.FB", "FBConsole [Zelto] [x.fb]"},
        {"Zelto", "ana", "X.FB", "FBConsole [Zelto] [ana] [x.fb]"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ConsoleCaption(c.company, c.user, c.database), c.caption);
}

TEST(ConsoleRules, KeywordAndClassification) {
    struct Case {
        QString text, keyword;
        StatementClass kind;
    } cases[] = {
        {"select * from T", "SELECT", StatementClass::Select},
        {"  select * from T", "SELE", StatementClass::Command},
        {"   ", "", StatementClass::Command},
        {"delete from T", "DELETE", StatementClass::DataChanging},
        {"drop table T", "DROPT", StatementClass::StructureChanging},
        {"alter table T", "ALTER", StatementClass::StructureChanging},
        {"create view V", "CREATE", StatementClass::StructureChanging},
        {"EXECUTE procedure P", "EXECUT", StatementClass::Command},
        {"/* x */ select 1", "X", StatementClass::Command},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(StatementKeyword(c.text), c.keyword) << c.text.toStdString();
        EXPECT_EQ(ClassifyKeyword(StatementKeyword(c.text)), c.kind) << c.text.toStdString();
    }
}

TEST(ConsoleRules, HistoryWalksBackAndMenuKeepsTwentyNewest) {
    StatementHistory h;
    EXPECT_EQ(h.previous(), QString()); // empty: nothing happens
    for (int i = 1; i <= 25; ++i)
        h.add(QStringLiteral("select %1 from rdb$database ").arg(i) +
              QString(100, QLatin1Char('x')));
    const auto items = h.menuItems();
    ASSERT_EQ(items.size(), 20);
    EXPECT_TRUE(items.first().hint.startsWith(QStringLiteral("select 25 ")));
    EXPECT_TRUE(items.last().hint.startsWith(QStringLiteral("select 6 ")));
    EXPECT_EQ(items.first().caption, items.first().hint.left(80));
    for (int i = 25; i >= 1; --i)
        EXPECT_TRUE(h.previous().startsWith(QStringLiteral("select %1 ").arg(i)));
    EXPECT_TRUE(h.previous().startsWith(QStringLiteral("select 1 "))); // keeps the oldest

    // A 100 KB statement: a hint of a few lines, the whole statement on a click.
    const QString huge = QStringLiteral("select 1 from rdb$database\n").repeated(4000);
    h.add(huge);
    const auto last = h.menuItems().first();
    EXPECT_EQ(last.statement, huge);
    EXPECT_LE(last.hint.count(QLatin1Char('\n')), StatementHistory::HintLines);
    EXPECT_LE(last.hint.size(), StatementHistory::HintLength + 1);
    EXPECT_TRUE(last.hint.endsWith(QStringLiteral("…")));
}

TEST(ConsoleRules, AutoSaveNameIsTheDosDateOfTwoSecondSteps) {
    const TDateTime at42 = EncodeDate(2026, 12, 9) + EncodeTime(9, 20, 42);
    const TDateTime at43 = EncodeDate(2026, 12, 9) + EncodeTime(9, 20, 43);
    EXPECT_EQ(AutoSaveFileName(at42), QStringLiteral("1569278613.sql"));
    EXPECT_EQ(AutoSaveFileName(at43), AutoSaveFileName(at42));
    EXPECT_EQ(AutoSaveText({}), QString());
    EXPECT_EQ(AutoSaveText({"a", "b"}), QStringLiteral("a\nb\n"));
}

TEST(ConsoleRules, ListingDirectives) {
    const QString text = QStringLiteral("/*\ntitle=Jobs\nTitle=Other\n Sum =A\nx\nSUM=B\n"
                                        "Currency=VALOR\n*/\nselect * from T");
    EXPECT_EQ(DirectiveValue(text, "Title"), QStringLiteral("Jobs"));
    EXPECT_EQ(DirectiveValue(text, "Group"), QString());
    EXPECT_EQ(DirectiveValues(text, "Sum"), QStringList({"A", "B"}));
    EXPECT_EQ(DirectiveValues(text, "Currency"), QStringList({"VALOR"}));
}

TEST(ConsoleRules, PrimaryKeyMapComparesUpperCased) {
    TValueFrom map;
    EXPECT_EQ(map.add("jobs", "id"), 0);
    map.add("JOBS", "code");
    EXPECT_EQ(map.valueOf("Jobs"), QStringLiteral("id")); // first match
    EXPECT_EQ(map.indexOf("jobs"), 1);                    // last match
    EXPECT_EQ(map.indexOf(""), -1);
    EXPECT_EQ(map.valueOf("other", "none"), QStringLiteral("none"));
    map.setValue("files", "ID");
    map.setValue("FILES", "_X", true);
    EXPECT_EQ(map.valueOf("files"), QStringLiteral("ID_X"));
    map.setValue("files", "");
    EXPECT_EQ(map.item(map.indexOf("files")).value, QString());
    EXPECT_EQ(map.count(), 3);
}

TEST(ConsoleRules, TableOfStatementAndFieldInsertion) {
    EXPECT_EQ(TableOfStatement("Select\rJOBS.*\rFrom JOBS"), QStringLiteral("JOBS"));
    EXPECT_EQ(TableOfStatement("select a from files where a=1"), QStringLiteral("files"));
    EXPECT_EQ(TableOfStatement("delete from T"), QStringLiteral("delete from T"));
    EXPECT_EQ(FieldInsertionText({"ID", "NAME"}, "JOBS", 0), QStringLiteral("ID,\r\nNAME"));
    EXPECT_EQ(FieldInsertionText({"ID", "NAME"}, "FILES", 1),
              QStringLiteral("FILES.ID,\r\nFILES.NAME"));
}

TEST(ConsoleRules, TitleSortAlternatesPerColumn) {
    EXPECT_EQ(db::OrderExpression("NAME", "JOBS.NAME", true), QStringLiteral("Upper(JOBS.NAME)"));
    EXPECT_EQ(db::OrderExpression("N", "", false), QStringLiteral("N"));
    EXPECT_EQ(db::OrderExpression("N", "S.JOBS.N", true), QStringLiteral("JOBS.N"));
    LastSortKey().clear();
    QString s = QStringLiteral("select *  from JOBS");
    s = SortedStatement("IBQuery1", s, "ID");
    EXPECT_EQ(s, QStringLiteral("select * from JOBS Order By ID Asc"));
    s = SortedStatement("IBQuery1", s, "ID");
    EXPECT_EQ(s, QStringLiteral("select * from JOBS  Order By ID Desc"));
    s = SortedStatement("IBQuery1", s, "ID");
    EXPECT_TRUE(s.endsWith(QStringLiteral("Order By ID Asc")));
    s = SortedStatement("IBQuery1", s, "NAME");
    EXPECT_TRUE(s.endsWith(QStringLiteral("Order By NAME Asc"))); // another column starts up
}

TEST(ConsoleRules, ViewFromSelect) {
    EXPECT_EQ(ViewSourceForm("select a, b1\r\nfrom t"), ViewSourceForm("SELECT A,B1 FROM T"));
    EXPECT_TRUE(IsCreateViewText("create view V as select 1 from T"));
    EXPECT_FALSE(IsCreateViewText("select 1 from T"));
    EXPECT_EQ(CreateViewStatement("Create View", "v1", {"A", "B"}, "select a, b from t"),
              QStringLiteral("Create View v1\r\n(A,B)\r\nAs\r\nselect a, b from t"));
    EXPECT_TRUE(LettersOnly(" 1 Select").toLower().startsWith(QStringLiteral("select")));
}

} // namespace
