#include "platform/clock.h"

#include <QThread>

namespace bkp::platform {

namespace {
class SystemClock : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

class RealSleeper : public Sleeper {
public:
    void sleep(int milliseconds) override {
        if (milliseconds > 0)
            QThread::msleep(static_cast<unsigned long>(milliseconds));
    }
};

SystemClock g_systemClock;
RealSleeper g_realSleeper;
Clock *g_clock = &g_systemClock;
Sleeper *g_sleeper = &g_realSleeper;
} // namespace

Clock &clock() {
    return *g_clock;
}
void setClock(Clock *c) {
    g_clock = c ? c : &g_systemClock;
}

Sleeper &sleeper() {
    return *g_sleeper;
}
void setSleeper(Sleeper *s) {
    g_sleeper = s ? s : &g_realSleeper;
}

} // namespace bkp::platform
