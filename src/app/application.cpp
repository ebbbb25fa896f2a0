#include "app/application.h"

#include "db/errors.h"
#include "lib/ui.h"

namespace bkp::app {

void showHandlerError(const std::exception &error) {
    ShowMessageBox(db::ErrorText(error), QString(), platform::MB_OK | platform::MB_ICONERROR);
}

bool BkpApplication::notify(QObject *receiver, QEvent *event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const db::AbortError &) {
        // A silent stop: the handler has told the operator already.
    } catch (const std::exception &e) {
        showHandlerError(e);
    }
    return false;
}

} // namespace bkp::app
