#include "app/language.h"

#include "lib/datetime.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <clocale>

namespace bkp::app {

namespace {
// Texts of Qt's file chooser that its Portuguese translations leave in English.
class MissingQtTexts : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *source, const char *, int) const override {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0)
            return QString();
        static const struct {
            const char *english, *portuguese;
        } texts[] = {{"Folder", "Pasta"},
                     {"Drive", "Unidade"},
                     {"Shortcut", "Atalho"},
                     {"File", "Arquivo"},
                     {"%1 File", "Arquivo %1"}};
        for (const auto &t : texts)
            if (qstrcmp(source, t.english) == 0)
                return QString::fromUtf8(t.portuguese);
        return QString();
    }
};

// The character locale the program was started with, put back after Qt has set
// the C library's locale: the formats' Brazilian locale may be unknown to the C
// library, and then it would leave every category at "C" (and the database
// client could no longer read accented file names).
QByteArray g_characterLocale;

// The locale the environment gives a category: the first of LC_ALL, the
// category's own variable and LANG that is set, as the C library reads them.
QByteArray localeOf(const char *category) {
    for (const char *name : {"LC_ALL", category, "LANG"}) {
        const QByteArray value = qgetenv(name);
        if (!value.isEmpty())
            return value;
    }
    return QByteArray();
}

bool isCLocale(const QByteArray &name) {
    return name == "C" || name == "POSIX" || name.startsWith("C.");
}
} // namespace

void brazilianFormatsUnderCLocale() {
    const QByteArray decides = localeOf("LC_TIME");
    if (!decides.isEmpty() && !isCLocale(decides))
        return;
    g_characterLocale = localeOf("LC_CTYPE");
    const QByteArray all = qgetenv("LC_ALL");
    if (!all.isEmpty()) {
        qunsetenv("LC_ALL");
        if (qEnvironmentVariableIsEmpty("LC_CTYPE"))
            qputenv("LC_CTYPE", all);
        if (qEnvironmentVariableIsEmpty("LC_MESSAGES"))
            qputenv("LC_MESSAGES", all);
    }
    for (const char *name : {"LC_TIME", "LC_NUMERIC", "LC_MONETARY"})
        qputenv(name, "pt_BR.UTF-8");
}

bool installPortuguese(QCoreApplication &app) {
    if (!g_characterLocale.isEmpty())
        setlocale(LC_CTYPE, g_characterLocale.constData());
    // Widgets that format dates themselves (the month calendar) take the default locale.
    QLocale::setDefault(UserLocale());
    // Searched after Qt's own translations, which are installed later.
    QCoreApplication::installTranslator(new MissingQtTexts(&app));
    auto *translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_pt_BR"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace bkp::app
