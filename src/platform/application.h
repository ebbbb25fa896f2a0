#pragma once

#include <QString>

namespace bkp::platform {

// The application's title, shown in captions and as the default message box caption.
QString applicationTitle();
void setApplicationTitle(const QString &title);

// The application's own hint, shown where no control has one of its own.
QString applicationHint();
void setApplicationHint(const QString &hint);

// Asks the application to end: the message loop ends as soon as it runs (or is
// never entered when the request comes during start-up).
void terminateApplication();
bool terminated();
void resetTerminated(); // tests

// The end of the session has been announced (SIGTERM, SIGHUP): work that waits on
// the network gives up at once instead of at its time-out. Safe to call from a
// signal handler.
void announceSessionEnd() noexcept;
bool sessionEnding() noexcept;
void resetSessionEnding(); // tests

// Lets pending window messages be handled (repaints, progress, a waiting click).
void processMessages();

} // namespace bkp::platform
