#include "app/program.h"

#include "app/application.h"
#include "app/language.h"
#include "app/mainwindow.h"
#include "app/sessionsignals.h"
#include "app/singleinstance.h"
#include "app/startuplog.h"
#include "db/database.h"
#include "db/dataroutines.h"
#include "db/errors.h"
#include "lib/ui.h"
#include "platform/application.h"
#include "platform/filesystem.h"
#include "widgets/calendario.h"
#include "widgets/qtdialogs.h"

#include <QApplication>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSessionManager>

namespace bkp::app {

void connectSessionEnd(TfMaster *master, SessionSignals *sessionSignals) {
    // A desktop session manager asks first: refused while a schedule tick runs.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, master,
                     [master](QSessionManager &manager) {
                         if (master->WMQueryEndSession() == 0)
                             manager.cancel();
                     });
    // A service stop or a closing terminal is the session really ending.
    QObject::connect(sessionSignals, &SessionSignals::endSession, master,
                     [master](int) { master->WMEndSession(true); });
}

int runProgram(int argc, char *argv[]) {
    brazilianFormatsUnderCLocale();
    BkpApplication app(argc, argv);
    widgets::installQtPorts();
    installPortuguese(app);
    platform::setApplicationHint(QStringLiteral("Application.Hint"));
    platform::setApplicationTitle(QStringLiteral("BKPZelto - Gerenciador de backups"));
    // The program lives on when its windows close; only the tray or the end of the
    // session ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    // While a data routine waits on the database the operator sees its wait cursor.
    db::setWaitHook([previous = platform::CursorKind::Default](bool waiting) mutable {
        if (waiting)
            previous = SwapCursor(platform::CursorKind::SqlWait);
        else
            SwapCursor(previous);
    });

    // A start in a folder whose program already runs brings that one's window up.
    SingleInstance instance(QFileInfo(platform::fs::programPath()).absolutePath());
    switch (instance.claim()) {
    case SingleInstance::Role::HandedOver:
        return 0;
    case SingleInstance::Role::Unreachable:
        ShowMessageBox(QStringLiteral("O BKPZelto já está em execução nesta pasta e não responde."),
                       QString(), platform::MB_OK | platform::MB_ICONERROR);
        return 1;
    case SingleInstance::Role::First:
        break;
    }

    SessionSignals session;
    int rc = 1;
    {
        TfMaster fMaster;
        bool opened = false;
        // However the program leaves (the end of the session may come while it is
        // still starting), what is pending is kept and the database client is ended
        // in order before the window and its data module go: a detach after the end
        // of the session can wait on the engine for a long time.
        const auto endClient = qScopeGuard([&] {
            if (opened) {
                try {
                    fMaster.dataModule()->IBTransaction1->commit();
                } catch (const db::DatabaseError &) {
                }
            }
            db::shutdownClient();
        });
        connectSessionEnd(&fMaster, &session);
        StartupLogWindow log;
        try {
            opened = fMaster.FormCreate(platform::fs::programPath(), &log);
        } catch (const db::DatabaseError &e) {
            ShowMessageBox(e.message(), QString(), platform::MB_OK | platform::MB_ICONERROR);
        }
        // The date picker waits hidden for the job editor (the FTP windows come
        // with their own parts of the program).
        widgets::TfCalendario fCalendario;
        // The end of the session during the start is an ordinary end; without its
        // database the program has nothing to run: it ends after the message.
        if (platform::terminated())
            return 0;
        if (!opened)
            return 1;
        instance.setRestoreHandler([&fMaster] { fMaster.RestoreFromTray(); });
        rc = QApplication::exec();
        instance.setRestoreHandler({});
    }
    return rc;
}

} // namespace bkp::app
