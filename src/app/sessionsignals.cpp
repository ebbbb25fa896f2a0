#include "app/sessionsignals.h"

#include "platform/application.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace bkp::app {

namespace {
int g_pipe[2] = {-1, -1};

void onSignal(int number) {
    // A transfer in progress does not wait for the message loop to hear of it.
    bkp::platform::announceSessionEnd();
    unsigned char b = static_cast<unsigned char>(number);
    [[maybe_unused]] ssize_t n = ::write(g_pipe[1], &b, 1);
}
} // namespace

SessionSignals::SessionSignals(QObject *parent) : QObject(parent) {
    if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_pipe) != 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SessionSignals::readSignal);
    install();
}

void SessionSignals::install() {
    if (!m_notifier)
        return;
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
}

SessionSignals::~SessionSignals() {
    signal(SIGTERM, SIG_DFL);
    signal(SIGHUP, SIG_DFL);
}

void SessionSignals::readSignal() {
    unsigned char b = 0;
    if (::read(g_pipe[0], &b, 1) == 1)
        Q_EMIT endSession(b);
}

} // namespace bkp::app
