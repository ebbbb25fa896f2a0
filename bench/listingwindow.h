#pragma once
// What the listing benchmarks run on: a fresh database in a temporary folder, and
// a shown window with a grid and a status bar, as the console shows a result.
#include "bigresult.h"
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
    Connection connection{dir.path() + "/bench.fdb", true};
    db::Database &database = connection.database;
    db::Transaction &transaction = connection.transaction;
    QMainWindow window;
    widgets::DBGrid *grid = new widgets::DBGrid(&window);
    widgets::PanelStatusBar *bar = new widgets::PanelStatusBar({128, 50, 50, 50}, &window);

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
