#include "platform/application.h"

#include <QCoreApplication>
#include <csignal>

namespace bkp::platform {

namespace {
QString g_title;
QString g_hint;
bool g_terminated = false;
volatile std::sig_atomic_t g_sessionEnding = 0;
} // namespace

QString applicationTitle() {
    if (!g_title.isEmpty())
        return g_title;
    return QCoreApplication::applicationName();
}

void setApplicationTitle(const QString &title) {
    g_title = title;
    QCoreApplication::setApplicationName(title);
}

QString applicationHint() {
    return g_hint;
}

void setApplicationHint(const QString &hint) {
    g_hint = hint;
}

void terminateApplication() {
    g_terminated = true;
    if (QCoreApplication::instance())
        // Not quit(): it asks the windows first, and the main window never agrees.
        QCoreApplication::exit(0);
}

bool terminated() {
    return g_terminated;
}
void resetTerminated() {
    g_terminated = false;
}

void announceSessionEnd() noexcept {
    g_sessionEnding = 1;
}

bool sessionEnding() noexcept {
    return g_sessionEnding != 0;
}

void resetSessionEnding() {
    g_sessionEnding = 0;
}

void processMessages() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

} // namespace bkp::platform
