#include "lib/ports.h"

namespace bkp {

TrayPort::~TrayPort() = default;
TimerPort::~TimerPort() = default;

void RecordingTray::setHint(const QString &hint) {
    m_hint = hint.left(127);
    m_hints.append(m_hint);
}

void RecordingTray::showBalloon(const QString &title, const QString &text, BalloonKind kind,
                                int timeoutMs) {
    m_balloons.append({title.left(63), text.left(255), kind, timeoutMs});
}

int Inc_Range(int &counter, int limit) {
    ++counter;
    if (counter > limit)
        counter = 0;
    return counter;
}

} // namespace bkp
