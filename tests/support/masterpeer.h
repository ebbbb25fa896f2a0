#pragma once

#include "app/mainwindow.h"

namespace bkp::app {

// What tests read and set of the main window that the program itself keeps private.
class TfMasterPeer {
public:
    static schedule::ScheduleState &schedule(TfMaster &master) { return master.Schedule; }
};

} // namespace bkp::app
