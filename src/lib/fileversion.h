#pragma once

#include <QString>

namespace bkp {

// The file version of the running program: the project version compiled into it
// ("1.0.0.0"); empty for a build that carries none.
QString ProgramFileVersion();

} // namespace bkp
