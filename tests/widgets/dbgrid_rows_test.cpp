#include "db/dataroutines.h"
#include "db/query.h"
#include "db/statement.h"
#include "support/firebird.h"
#include "support/tempdir.h"
#include "widgets/dbgrid.h"
#include "widgets/dbnavigator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <gtest/gtest.h>

using namespace bkp;
using Nav = widgets::DBNavigator;

// A grid over a large result reads only what it shows, and the grid, a navigator and
// a counter all follow the one data set.
TEST(DBGridRows, ALargeResultShowsItsFirstScreenHavingReadLittle) {
    test::TempDir dir;
    test::TestDatabase fdb(dir.file("big.fdb"));
    db::ExecSQL(fdb.get(), "create table BIG (ID integer not null primary key, NAME varchar(20))");
    fdb->defaultTransaction()->commitRetaining();
    // Straight to the engine: the block's :i is its own variable, not a parameter.
    db::Statement fill(fdb.get(), fdb->defaultTransaction());
    fill.prepare("execute block as declare i integer = 0; begin while (i < 100000) do begin "
                 "insert into BIG values (:i, 'row ' || :i); i = i + 1; end end");
    fill.execute({});
    fdb->defaultTransaction()->commitRetaining();

    db::Query q;
    q.setDatabase(fdb.get());
    q.setSqlText("select * from BIG order by ID");
    widgets::DBGrid grid;
    Nav nav;
    int scrolls = 0;
    QObject::connect(&q, &db::DataSet::afterScroll, [&] { ++scrolls; });
    grid.setDataSet(&q);
    nav.setDataSet(&q);
    grid.resize(600, 400);
    grid.show();
    q.open();
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();

    EXPECT_GT(grid.rowAt(grid.viewport()->height() - 2), 5) << "a screen of rows shows";
    EXPECT_LT(q.recordCount(), 1000);
    EXPECT_TRUE(nav.button(Nav::Next)->isEnabled());
    EXPECT_TRUE(nav.button(Nav::Last)->isEnabled());

    // Scrolling to the bottom of what was read reads on.
    const int before = q.recordCount();
    grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum());
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
    EXPECT_GT(q.recordCount(), before);
    EXPECT_FALSE(q.allRowsFetched());

    nav.button(Nav::Next)->click();
    EXPECT_EQ(q.recNo(), 2);
    EXPECT_EQ(grid.currentIndex().row(), 1);
    nav.button(Nav::Last)->click();
    EXPECT_TRUE(q.allRowsFetched());
    EXPECT_EQ(q.recordCount(), 100000);
    EXPECT_EQ(q.fieldByName("ID")->asInteger(), 99999);
    EXPECT_EQ(grid.currentIndex().row(), 99999);
    EXPECT_FALSE(nav.button(Nav::Next)->isEnabled());
    EXPECT_EQ(scrolls, 3); // open, next, last

    // Refresh keeps the row, reading only up to it.
    q.setRecNo(500);
    q.close();
    q.open();
    q.setRecNo(500);
    q.refresh();
    EXPECT_EQ(q.recNo(), 500);
    EXPECT_LT(q.recordCount(), 1000);
    EXPECT_TRUE(q.locate("ID", 4321));
    EXPECT_EQ(q.recNo(), 4322);
}
