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

// A listing named "Vendas <b> & Cia" or an error text with tags shows as typed:
// the tag is not taken for bold type and takes its room on the panel.
TEST(PanelStatusBar, EveryPanelShowsItsTextPlain) {
    const QString text = "Vendas <b> & Cia";
    widgets::PanelStatusBar panels({120, 120, 50});
    widgets::PanelStatusBar simple({});
    simple.setSimpleText(text);
    panels.setPanelText(0, text);
    panels.setPanelText(2, text);
    const struct {
        const char *what;
        QLabel *label;
    } cases[] = {{"first panel", panels.panel(0)},
                 {"last panel", panels.panel(2)},
                 {"simple bar", simple.findChild<QLabel *>()}};
    for (const auto &c : cases) {
        ASSERT_NE(c.label, nullptr) << c.what;
        EXPECT_GE(c.label->sizeHint().width(), c.label->fontMetrics().horizontalAdvance(text))
            << c.what;
    }
}
