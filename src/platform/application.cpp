#include "platform/application.h"

#include <QCoreApplication>

namespace bkp::platform {

namespace {
QString g_title;
QString g_hint;
bool g_terminated = false;
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

void processMessages() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

} // namespace bkp::platform
