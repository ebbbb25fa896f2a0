#pragma once

#include <QString>

namespace bkp::platform {

// The application's title, shown in captions and as the default message box caption.
QString applicationTitle();
void setApplicationTitle(const QString &title);

// Asks the application to end: the message loop ends as soon as it runs (or is
// never entered when the request comes during start-up).
void terminateApplication();
bool terminated();
void resetTerminated(); // tests

// Lets pending window messages be handled (repaints, progress, a waiting click).
void processMessages();

} // namespace bkp::platform
