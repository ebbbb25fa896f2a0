#include "app/language.h"

#include "lib/datetime.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace bkp::app {

bool installPortuguese(QCoreApplication &app) {
    // Widgets that format dates themselves (the month calendar) take the default locale.
    QLocale::setDefault(UserLocale());
    auto *translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_pt_BR"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace bkp::app
