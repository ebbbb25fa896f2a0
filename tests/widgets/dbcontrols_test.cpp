#include "db/dataroutines.h"
#include "db/query.h"
#include "support/firebird.h"
#include "support/tempdir.h"
#include "widgets/dbcontrols.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace bkp;

namespace {
class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        fdb = std::make_unique<test::TestDatabase>(dir.file("c.fdb"));
        test::openKeyedTable(fdb->get(),
                             "create table T (ID integer not null primary key, NAME varchar(8), "
                             "ACTIVE smallint, TIPO smallint, D date)",
                             {"insert into T values (1, 'ONE', 0, 2, '2026-12-08')",
                              "insert into T values (2, 'TWO', 1, 0, null)"},
                             "T", {"ID", "NAME", "ACTIVE", "TIPO", "D"}, query, update);
    }
    test::TempDir dir;
    std::unique_ptr<test::TestDatabase> fdb;
    db::UpdateSQL update;
    db::Query query;
};
} // namespace

TEST_F(ControlsTest, TypingEditsTheRowInTheFieldsCaseAndLength) {
    widgets::DBEdit edit;
    edit.setCharCase(widgets::CharCase::Upper);
    edit.bind(&query, "NAME");
    edit.show();
    EXPECT_EQ(edit.text(), "ONE");
    EXPECT_EQ(edit.maxLength(), 8);
    edit.end(false);
    EXPECT_EQ(query.state(), db::DataSetState::Browse); // moving the caret is no typing
    QTest::keyClicks(&edit, "x");
    EXPECT_EQ(query.state(), db::DataSetState::Edit);
    EXPECT_EQ(query.fieldByName("NAME")->asString(), "ONEX");
    query.post();
    query.next();
    EXPECT_EQ(edit.text(), "TWO");
    query.prior();
    EXPECT_EQ(edit.text(), "ONEX");

    widgets::DBEdit date;
    date.bind(&query, "D");
    EXPECT_EQ(date.text(), DateToStr(EncodeDate(2026, 12, 8)));
}

TEST_F(ControlsTest, CheckBoxAndRadioGroupStoreTheirValues) {
    widgets::DBCheckBox active("Backup ativo");
    active.setValues("0", "1"); // checked means active, stored as 0
    active.bind(&query, "ACTIVE");
    widgets::DBRadioGroup tipo("Tipo");
    tipo.setItems({"a", "b", "c"}, {"0", "1", "2"});
    tipo.bind(&query, "TIPO");
    EXPECT_TRUE(active.isChecked());
    EXPECT_EQ(tipo.itemIndex(), 2);
    query.next();
    EXPECT_FALSE(active.isChecked());
    EXPECT_EQ(tipo.itemIndex(), 0);

    active.click();
    EXPECT_EQ(query.state(), db::DataSetState::Edit);
    EXPECT_EQ(query.fieldByName("ACTIVE")->asInteger(), 0);
    tipo.setItemIndex(1);
    EXPECT_EQ(query.fieldByName("TIPO")->asInteger(), 1);
    query.cancel();
    EXPECT_FALSE(active.isChecked());
    EXPECT_EQ(tipo.itemIndex(), 0);
}
