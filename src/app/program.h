#pragma once

namespace bkp::app {

// The program's entry: builds the application and runs it until it is told to end.
int runProgram(int argc, char *argv[]);

} // namespace bkp::app
