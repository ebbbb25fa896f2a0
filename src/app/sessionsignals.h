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

    // Takes the signals back: the database client installs handlers of its own
    // when it starts, which would end the connections behind the program's back.
    void install();

Q_SIGNALS:
    void endSession(int signalNumber);

private:
    void readSignal();
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace bkp::app
