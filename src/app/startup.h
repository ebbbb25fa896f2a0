#pragma once

#include "jobdb/datamodule.h"
#include "jobdb/jobqueries.h"
#include "platform/inifile.h"

#include <memory>

namespace bkp::jobdb {
class StartupLog;
}

namespace bkp::app {

// What the main window holds from its creation on: the settings file, the data
// module and the job and file-set queries.
struct StartupState {
    std::unique_ptr<platform::IniFile> IniParams;
    std::unique_ptr<jobdb::TDM> DM;
    std::unique_ptr<jobdb::JobQueries> queries;
};

// The main window's creation up to the job list: the settings file with
// "UpdateFile", the "_Backups.Ini" file, then the job database and the job list.
// A settings file that cannot be written is reported and the start goes on.
// False when the job database could not be opened (the message was shown).
bool openSettingsAndDatabase(StartupState &state, const QString &programPath,
                             jobdb::StartupLog *log);

} // namespace bkp::app
