#include "db/dataroutines.h"
#include "db/query.h"
#include "platform/dialogs.h"
#include "support/firebird.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"
#include "widgets/dbgrid.h"

#include <QHeaderView>
#include <QTest>
#include <gtest/gtest.h>

using namespace bkp;

namespace {
class GridTest : public ::testing::Test {
protected:
    void SetUp() override {
        fdb = std::make_unique<test::TestDatabase>(dir.file("g.fdb"));
        test::openKeyedTable(fdb->get(),
                             "create table T (ID integer not null primary key, NAME varchar(10))",
                             {"insert into T values (1, 'N1')", "insert into T values (2, 'N2')",
                              "insert into T values (3, 'N3')"},
                             "T", {"ID", "NAME"}, query, update);
    }
    test::TempDir dir;
    std::unique_ptr<test::TestDatabase> fdb;
    db::UpdateSQL update;
    db::Query query;
};
} // namespace

TEST_F(GridTest, RowsFollowTheDataSetAndTheDataSetFollowsTheGrid) {
    widgets::DBGrid grid;
    grid.setDataSet(&query);
    grid.setColumns({{"NAME", "Nome", 120}, {"ID", "", 32}});
    grid.show();
    EXPECT_EQ(grid.model()->rowCount(), 3);
    EXPECT_EQ(grid.model()->headerData(0, Qt::Horizontal).toString(), "Nome");
    EXPECT_EQ(grid.model()->headerData(1, Qt::Horizontal).toString(), "ID");
    EXPECT_EQ(grid.model()->index(2, 0).data().toString(), "N3");
    EXPECT_EQ(grid.columnWidth(0), 120);

    query.last();
    EXPECT_EQ(grid.currentIndex().row(), 2);
    grid.selectRow(0);
    EXPECT_EQ(query.recNo(), 1);

    // An insert shows a new row at once; an edit shows the edited value.
    query.append();
    EXPECT_EQ(grid.model()->rowCount(), 4);
    query.fieldByName("ID")->setValue(4);
    query.fieldByName("NAME")->setValue(QString("NEW"));
    EXPECT_EQ(grid.model()->index(3, 0).data().toString(), "NEW");
    query.post();
    EXPECT_EQ(grid.currentIndex().row(), 3);

    int clicked = -1;
    QObject::connect(&grid, &widgets::DBGrid::titleClicked,
                     [&](int column, const QString &) { clicked = column; });
    Q_EMIT grid.horizontalHeader()->sectionClicked(1);
    EXPECT_EQ(clicked, 1);
}

TEST_F(GridTest, CtrlDeleteAsksFirst) {
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped(&dialogs);
    widgets::DBGrid grid;
    grid.setDataSet(&query);
    grid.show();
    dialogs.answer(platform::IDNO);
    QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_EQ(dialogs.shown()[0].text, "Delete record?");
    EXPECT_EQ(query.recordCount(), 3);
    dialogs.answer(platform::IDYES);
    QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(query.recordCount(), 2);
    EXPECT_EQ(grid.model()->rowCount(), 2);
}
