#pragma once

namespace bkp::app {

class SessionSignals;
class TfMaster;

// The program's entry: builds the application and runs it until it is told to end.
int runProgram(int argc, char *argv[]);

// Routes the end of the session to the main window: the session manager's query
// to WMQueryEndSession, SIGTERM and SIGHUP to WMEndSession.
void connectSessionEnd(TfMaster *master, SessionSignals *sessionSignals);

} // namespace bkp::app
