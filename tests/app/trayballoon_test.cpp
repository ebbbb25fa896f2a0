#include "app/trayballoon.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace bkp;

// An upload asks for a balloon every few blocks: one window takes every message,
// the last texts always reach it, and it goes after its time or a click.
TEST(TrayBalloon, OneWindowTakesEveryMessageAndShowsTheLast) {
    app::TrayBalloon balloon;
    const auto info = TrayPort::BalloonKind::Info;
    balloon.showMessage("Enviando backup por FTP", "Enviados 1 bytes", info, 1000);
    ASSERT_TRUE(balloon.isVisible());
    const WId window = balloon.winId();
    for (int i = 2; i <= 500; ++i)
        balloon.showMessage("Enviando backup por FTP", QString("Enviados %1 bytes").arg(i), info,
                            1000);
    EXPECT_TRUE(QTest::qWaitFor([&] { return balloon.text() == "Enviados 500 bytes"; }, 2000));
    EXPECT_EQ(balloon.winId(), window);
    EXPECT_TRUE(balloon.isVisible());
    // Lines broken with CR, as the upload writes them.
    balloon.setAnchor([] { return QRect(0, 0, 24, 24); });
    balloon.showMessage("Erro", "primeira\rsegunda", TrayPort::BalloonKind::Error, 1000);
    EXPECT_TRUE(QTest::qWaitFor([&] { return balloon.text() == "primeira\nsegunda"; }, 2000));
    EXPECT_EQ(balloon.title(), "Erro");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !balloon.isVisible(); }, 3000));

    balloon.showMessage("Erro", "de novo", TrayPort::BalloonKind::None, 60000);
    EXPECT_TRUE(QTest::qWaitFor([&] { return balloon.isVisible(); }, 2000));
    QTest::mouseClick(&balloon, Qt::LeftButton);
    EXPECT_FALSE(balloon.isVisible());
}
