#include "lib/fileversion.h"

namespace bkp {

QString ProgramFileVersion() {
#ifdef BKP_FILE_VERSION
    return QStringLiteral(BKP_FILE_VERSION);
#else
    return QString();
#endif
}

} // namespace bkp
