#include "widgets/statusbar.h"

#include <QLabel>
#include <gtest/gtest.h>

using namespace bkp;

// An upload writes "16000000 bytes total" into a 120-pixel panel: the panel grows
// to show it whole and goes back to its width after; the last panel takes the rest.
TEST(PanelStatusBar, APanelGrowsWhileItsTextWouldBeCut) {
    widgets::PanelStatusBar bar({120, 120, 50});
    bar.resize(800, 24);
    bar.show();
    QLabel *panel = bar.panel(1);
    EXPECT_EQ(panel->width(), 120);
    const QString longText = "16000000000 bytes total do arquivo";
    bar.setPanelText(1, longText);
    EXPECT_GT(panel->width(), panel->fontMetrics().horizontalAdvance(longText));
    bar.setPanelText(1, "ok");
    EXPECT_EQ(panel->width(), 120);
    bar.setPanelText(2, longText);
    EXPECT_EQ(bar.panel(2)->minimumWidth(), 50);
}
