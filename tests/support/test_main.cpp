#include "widgets/qtdialogs.h"

#include <QApplication>
#include <gtest/gtest.h>

// Every test binary of the windows runs with a QApplication and the program's Qt
// dialogs and cursor, offscreen unless a display is asked for.
int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    bkp::widgets::installQtPorts();
    return RUN_ALL_TESTS();
}
