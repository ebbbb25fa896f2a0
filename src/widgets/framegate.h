#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

namespace bkp::widgets {

// One frame of the primary screen, in ms (60 Hz without a screen).
int screenRefreshInterval();

// Brings a display up to date at most once a screen frame: the first request is
// carried out at once, the ones that follow within the frame wait for its end and
// are carried out together, so the last state asked for always reaches the screen.
class FrameGate : public QObject {
public:
    // `minimumMs`: a longer pause between updates, for texts read by a person
    // rather than watched move (a message window, a tool tip).
    explicit FrameGate(std::function<void()> apply, QObject *parent = nullptr, int minimumMs = 0);

    void request();

private:
    void frameEnded();
    std::function<void()> m_apply;
    QTimer m_frame;
    bool m_pending = false;
};

} // namespace bkp::widgets
