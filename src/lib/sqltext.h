#pragma once

#include "lib/datetime.h"

#include <QString>

namespace bkp {

// Date literals for the job database, numbers unpadded and the month in English
// capitals: '8-DEC-2026' and '8-DEC-2026 9:5:30' (milliseconds dropped).
QString SqlDate(TDateTime date);
QString SqlDateTime(TDateTime dateTime);

// A text for a short text column as an SQL literal: control characters (a server's
// reply may hold CR, LF or NUL) become blanks, the text is cut to the column's
// `size` characters and quotes inside are doubled, so that it is stored whole.
QString FittedTextLiteral(const QString &text, int size);

// A last-error text as the job keeps it: now, as DateTimeToStr writes it, " - "
// and the text.
QString DatedText(const QString &text);

} // namespace bkp
