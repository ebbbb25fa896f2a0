#include "app/startuplog.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QWindow>
#include <gtest/gtest.h>

using namespace bkp;

namespace {

// The share of pixels that differ between what the screen shows and what the
// window would paint.
double differing(const QImage &screen, const QImage &painted) {
    if (screen.size() != painted.size())
        return 1.0;
    const QImage a = screen.convertToFormat(QImage::Format_RGB32);
    const QImage b = painted.convertToFormat(QImage::Format_RGB32);
    qint64 off = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            off += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
    return double(off) / double(a.width() * a.height());
}

} // namespace

// On an X display a window is exposed only when the server has mapped it, so this
// runs itself again on a virtual display of its own (offscreen windows are exposed
// at once and would show nothing).
TEST(StartupLogWindow, EachLineIsOnTheScreenAsItIsLogged) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        QProcess xvfb;
        xvfb.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        ASSERT_TRUE(xvfb.waitForStarted(10000));
        QDeadlineTimer deadline(20000);
        while (!xvfb.canReadLine() && !deadline.hasExpired())
            xvfb.waitForReadyRead(200);
        const QString display = QString::fromLatin1(xvfb.readLine()).trimmed();
        ASSERT_FALSE(display.isEmpty());
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("DISPLAY", ":" + display);
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--gtest_filter=StartupLogWindow.EachLineIsOnTheScreenAsItIsLogged"});
        const bool ended = child.waitForFinished(60000);
        const QByteArray output = child.readAll();
        if (!ended)
            child.kill();
        child.waitForFinished();
        xvfb.terminate();
        xvfb.waitForFinished(5000);
        ASSERT_TRUE(ended);
        EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
        return;
    }

    app::StartupLogWindow log;
    log.open("BKPZelto - Gerenciador de backups");
    for (const QString &line : {QString(), QString("Conectando database /dados/bkpzelto.fb"),
                                QString("Criando BACKUPS"), QString("\r\nConcluído.")}) {
        SCOPED_TRACE(line.toStdString());
        log.addLog(line);
        QWidget *window = log.window();
        ASSERT_TRUE(window->windowHandle()->isExposed());
        const QImage screen = window->screen()->grabWindow(window->winId()).toImage();
        EXPECT_LT(differing(screen, window->grab().toImage()), 0.01);
    }
    log.close();
}
