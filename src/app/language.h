#pragma once

class QCoreApplication;

namespace bkp::app {

// The program speaks Portuguese: Qt's own texts (file and folder choosers, the
// standard buttons) come from Qt's Brazilian Portuguese translations, and dates,
// times and numbers follow the user's locale (Brazilian under C or POSIX). False
// when the translations are not installed; the program then goes on with Qt's
// English texts.
bool installPortuguese(QCoreApplication &app);

// Before the application starts: under a C or POSIX locale, the formats Qt's own
// dialogs take from the system (the file chooser's dates) become Brazilian too.
// Character handling keeps the locale it had (installPortuguese puts it back in
// the C library), so archivers and the database client see file names as before.
void brazilianFormatsUnderCLocale();

} // namespace bkp::app
