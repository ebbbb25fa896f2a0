#include "platform/clock.h"

#include "platform/portslot.h"

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
PortSlot<Clock> g_clock(&g_systemClock);
PortSlot<Sleeper> g_sleeper(&g_realSleeper);
} // namespace

Clock &clock() {
    return g_clock.get();
}
void setClock(Clock *c) {
    g_clock.set(c);
}

Sleeper &sleeper() {
    return g_sleeper.get();
}
void setSleeper(Sleeper *s) {
    g_sleeper.set(s);
}

} // namespace bkp::platform
