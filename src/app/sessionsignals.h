#pragma once

#include <QObject>

class QSocketNotifier;

namespace bkp::app {

// The end of the session as this desktop announces it to a resident program: a
// service stop sends SIGTERM, a closing terminal SIGHUP. The signals are turned
// into a Qt signal on the window thread through a self-pipe.
class SessionSignals : public QObject {
    Q_OBJECT
public:
    explicit SessionSignals(QObject *parent = nullptr);
    ~SessionSignals() override;

Q_SIGNALS:
    void endSession(int signalNumber);

private:
    void install();
    void readSignal();
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace bkp::app
