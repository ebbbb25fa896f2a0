#include "app/startup.h"

#include "app/settings.h"
#include "jobdb/schema.h"
#include "lib/ui.h"

namespace bkp::app {

bool openSettingsAndDatabase(StartupState &state, const QString &programPath,
                             jobdb::StartupLog *log) {
    QString problem;
    state.IniParams = openSettingsFile(programPath, &problem);
    if (!problem.isEmpty())
        ShowMessageBox(problem, QString(), platform::MB_OK | platform::MB_ICONERROR);
    try {
        touchBackupsIni(programPath);
    } catch (const platform::IniWriteError &e) {
        ShowMessageBox(e.text(), QString(), platform::MB_OK | platform::MB_ICONERROR);
    }

    if (!state.DM)
        state.DM = std::make_unique<jobdb::TDM>();
    if (!jobdb::AbrirDataBase(state.DM.get(), *state.IniParams, log))
        return false;
    state.queries = std::make_unique<jobdb::JobQueries>(state.DM.get());
    jobdb::AbrirTabelas(&state.queries->IBQuery_Backups);
    return true;
}

} // namespace bkp::app
