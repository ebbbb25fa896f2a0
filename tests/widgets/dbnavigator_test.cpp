#include "db/dataroutines.h"
#include "db/query.h"
#include "platform/dialogs.h"
#include "support/firebird.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"
#include "widgets/dbnavigator.h"

#include <gtest/gtest.h>

using namespace bkp;
using Nav = widgets::DBNavigator;

TEST(DBNavigator, ButtonsFollowTheDataSetAndTheHookCanStopThem) {
    test::TempDir dir;
    test::TestDatabase fdb(dir.file("n.fdb"));
    db::UpdateSQL u;
    db::Query q;
    test::openKeyedTable(fdb.get(), "create table T (ID integer not null primary key)",
                         {"insert into T values (1)", "insert into T values (2)"}, "T", {"ID"}, q,
                         u);

    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped(&dialogs);
    Nav nav;
    nav.setDataSet(&q);
    nav.setHints({"Primeiro registro", "Registro anterior"});
    EXPECT_EQ(nav.button(Nav::Prior)->toolTip(), "Registro anterior");
    EXPECT_FALSE(nav.button(Nav::First)->isEnabled());
    EXPECT_TRUE(nav.button(Nav::Next)->isEnabled());
    EXPECT_FALSE(nav.button(Nav::Post)->isEnabled());

    nav.button(Nav::Last)->click();
    EXPECT_EQ(q.recNo(), 2);
    EXPECT_FALSE(nav.button(Nav::Next)->isEnabled());
    EXPECT_TRUE(nav.button(Nav::Prior)->isEnabled());

    nav.button(Nav::Edit)->click();
    EXPECT_EQ(q.state(), db::DataSetState::Edit);
    EXPECT_TRUE(nav.button(Nav::Post)->isEnabled());
    EXPECT_FALSE(nav.button(Nav::Edit)->isEnabled());
    EXPECT_FALSE(nav.button(Nav::Refresh)->isEnabled());
    nav.button(Nav::Cancel)->click();

    QList<Nav::Button> seen;
    nav.beforeAction = [&](Nav::Button b) {
        seen << b;
        if (b == Nav::Insert)
            throw db::AbortError();
    };
    nav.button(Nav::Insert)->click();
    EXPECT_EQ(q.state(), db::DataSetState::Browse);
    dialogs.answer(platform::IDNO);
    nav.button(Nav::Delete)->click();
    EXPECT_EQ(q.recordCount(), 2);
    EXPECT_EQ(dialogs.shown().value(0).text, "Delete record?");
    EXPECT_EQ(seen, QList<Nav::Button>({Nav::Insert, Nav::Delete}));

    bool refreshed = false;
    nav.onRefresh = [&] {
        refreshed = true;
    };
    nav.button(Nav::Refresh)->click();
    EXPECT_TRUE(refreshed);
}
