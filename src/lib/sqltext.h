#pragma once

#include "lib/datetime.h"

#include <QString>

namespace bkp {

// Date literals for the job database, numbers unpadded and the month in English
// capitals: '8-DEC-2026' and '8-DEC-2026 9:5:30' (milliseconds dropped).
QString SqlDate(TDateTime date);
QString SqlDateTime(TDateTime dateTime);

} // namespace bkp
