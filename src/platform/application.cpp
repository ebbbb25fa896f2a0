#include "platform/application.h"

#include <QCoreApplication>

namespace bkp::platform {

namespace {
QString g_title;
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

void terminateApplication() {
    g_terminated = true;
    if (QCoreApplication::instance())
        QCoreApplication::quit();
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
