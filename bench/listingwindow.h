#pragma once
// What the listing benchmarks run on: a fresh database in a temporary folder, and
// a shown window with a grid and a status bar, as the console shows a result.
#include "db/database.h"
#include "jobdb/datamodule.h"
#include "widgets/dbgrid.h"
#include "widgets/statusbar.h"

#include <QMainWindow>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace bench {

using namespace bkp;

struct ListingWindow {
    QTemporaryDir dir;
    db::Database database;
    db::Transaction transaction;
    QMainWindow window;
    widgets::DBGrid *grid = new widgets::DBGrid(&window);
    widgets::PanelStatusBar *bar = new widgets::PanelStatusBar({128, 50, 50, 50}, &window);

    ListingWindow() {
        database.setDatabaseName(dir.path() + "/bench.fdb");
        database.setParams({"user_name=SYSDBA", QStringLiteral("password=") + db::AdminPassword});
        database.setDefaultTransaction(&transaction);
        database.createDatabase(
            {"User 'SYSDBA'", QStringLiteral("password '") + db::AdminPassword + "'"});
    }
    void show() {
        window.setCentralWidget(grid);
        window.setStatusBar(bar);
        window.resize(1000, 700);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            std::printf("(the window was not exposed)\n");
    }
};

} // namespace bench
