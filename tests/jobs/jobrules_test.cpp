#include "db/query.h"
#include "jobs/jobediting.h"
#include "platform/dialogs.h"
#include "support/firebird.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

using namespace bkp;

TEST(JobRules, TheKapriFolderAndTheOrderingExpressions) {
    EXPECT_TRUE(jobs::insideKapriFolder(" /opt/kapri_10/bin/bkp "));
    EXPECT_FALSE(jobs::insideKapriFolder("/opt/kapri_100/bkp"));
    EXPECT_FALSE(jobs::insideKapriFolder("/opt/KAPRI_10"));
}

TEST(JobRules, OrderingRefusesCalculatedAndBlobColumnsAndLeavesTheQueryAsItWas) {
    test::TempDir dir;
    test::TestDatabase database(dir.file("order.fb"));
    db::Query query;
    db::UpdateSQL update;
    test::openKeyedTable(database.get(),
                         "create table NOTAS (ID integer not null primary key, NOME varchar(20), "
                         "TEXTO blob sub_type text, FOTO blob)",
                         {"insert into NOTAS (ID, NOME) values (1, 'b')",
                          "insert into NOTAS (ID, NOME) values (2, 'A')"},
                         "NOTAS", {"ID", "NOME", "TEXTO", "FOTO"}, query, update);
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped(&dialogs);
    const QString before = query.sqlText();

    EXPECT_FALSE(jobs::OrderByColumn(query, "w", "TEXTO"));
    EXPECT_FALSE(jobs::OrderByColumn(query, "w", "FOTO"));
    query.fieldByName("NOME")->setCalculated(true);
    EXPECT_FALSE(jobs::OrderByColumn(query, "w", "NOME"));
    query.fieldByName("NOME")->setCalculated(false);
    ASSERT_EQ(dialogs.shown().size(), 3);
    EXPECT_EQ(dialogs.shown()[0].text, "Não é possível ordenar um campo do tipo MEMO.");
    EXPECT_EQ(dialogs.shown()[1].text, "Não é possível ordenar um campo do tipo BLOB.");
    EXPECT_EQ(dialogs.shown()[2].text, "Não é possível ordenar um campo calculado.");
    EXPECT_EQ(query.sqlText(), before);

    // Text columns order ignoring case; the same column again turns the order round.
    jobs::resetOrderMemory();
    ASSERT_TRUE(jobs::OrderByColumn(query, "w", "NOME"));
    EXPECT_EQ(query.fieldByName("NOME")->asString(), "A");
    ASSERT_TRUE(jobs::OrderByColumn(query, "w", "NOME"));
    EXPECT_EQ(query.fieldByName("NOME")->asString(), "b");
    // Another window's grid starts again with ascending.
    ASSERT_TRUE(jobs::OrderByColumn(query, "other", "NOME"));
    EXPECT_EQ(query.fieldByName("NOME")->asString(), "A");
}
