#include "app/program.h"

int main(int argc, char *argv[]) {
    return bkp::app::runProgram(argc, argv);
}
