#include "app/program.h"

#include "app/sessionsignals.h"
#include "app/startup.h"
#include "app/startuplog.h"
#include "db/database.h"
#include "db/errors.h"
#include "lib/ui.h"
#include "platform/application.h"
#include "platform/filesystem.h"

#include <QApplication>

namespace bkp::app {

int runProgram(int argc, char *argv[]) {
    QApplication app(argc, argv);
    platform::setApplicationTitle(QStringLiteral("BKPZelto - Gerenciador de backups"));
    // The program lives on when its windows close; only the tray or the end of the
    // session ends it.
    QApplication::setQuitOnLastWindowClosed(false);

    SessionSignals session;
    QObject::connect(&session, &SessionSignals::endSession,
                     [] { platform::terminateApplication(); });

    StartupState state;
    StartupLogWindow log;
    bool opened = false;
    try {
        opened = openSettingsAndDatabase(state, platform::fs::programPath(), &log);
    } catch (const db::DatabaseError &e) {
        ShowMessageBox(e.message(), QString(), platform::MB_OK | platform::MB_ICONERROR);
    }
    session.install();
    // Without its database the program has nothing to run: it ends after the message.
    if (!opened || platform::terminated())
        return 1;
    int rc = QApplication::exec();
    // Whatever is pending is kept, then the database client is ended in order.
    try {
        state.DM->IBTransaction1->commit();
    } catch (const db::DatabaseError &) {
    }
    db::shutdownClient();
    return rc;
}

} // namespace bkp::app
