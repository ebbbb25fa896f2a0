#pragma once

#include <QApplication>

namespace bkp::app {

// The application object: an error that escapes an event handler is shown in an
// error box and the program goes on, instead of ending it.
class BkpApplication : public QApplication {
    Q_OBJECT
public:
    BkpApplication(int &argc, char **argv) : QApplication(argc, argv) {}
    bool notify(QObject *receiver, QEvent *event) override;
};

// The error box for an error that reached the message loop.
void showHandlerError(const std::exception &error);

} // namespace bkp::app
