#include "app/program.h"

#include <QApplication>

namespace bkp::app {

int runProgram(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("BKPZelto - Gerenciador de backups"));
    return 0;
}

} // namespace bkp::app
