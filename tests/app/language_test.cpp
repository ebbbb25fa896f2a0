#include "app/language.h"

#include <QCoreApplication>
#include <QHash>
#include <QLocale>
#include <gtest/gtest.h>

// Qt's own dialogs and buttons speak Portuguese once the program has started.
TEST(Language, QtsOwnTextsArePortuguese) {
    ASSERT_TRUE(bkp::app::installPortuguese(*QCoreApplication::instance()));
    const struct {
        const char *context, *english, *portuguese;
    } texts[] = {
        {"QFileDialog", "Look in:", "Procurar em:"},
        {"QFileDialog", "&Choose", "Es&colher"},
        {"QPlatformTheme", "Cancel", "Cancelar"},
        {"QAbstractFileIconProvider", "Folder", "Pasta"},
    };
    for (const auto &t : texts)
        EXPECT_EQ(QCoreApplication::translate(t.context, t.english),
                  QString::fromUtf8(t.portuguese))
            << t.english;
    if (QLocale::system().language() == QLocale::C) {
        EXPECT_EQ(QLocale().name(), "pt_BR");
    }
    QLocale::setDefault(QLocale::system());
}

// Under C or POSIX the formats the system gives Qt become Brazilian; character
// handling keeps its locale; any other locale is left as it is.
TEST(Language, BrazilianFormatsOnlyUnderACLocale) {
    const char *vars[] = {"LC_ALL", "LC_TIME", "LC_CTYPE", "LC_MESSAGES", "LANG"};
    QHash<QByteArray, QByteArray> saved;
    for (const char *v : vars)
        saved[v] = qgetenv(v);
    const struct {
        const char *all, *lang, *time, *ctype;
    } cases[] = {
        {"C", "", "pt_BR.UTF-8", "C"},
        {"", "C.UTF-8", "pt_BR.UTF-8", ""},
        {"", "", "pt_BR.UTF-8", ""},
        {"", "de_DE.UTF-8", "", ""},
        {"POSIX", "de_DE.UTF-8", "pt_BR.UTF-8", "POSIX"},
    };
    for (const auto &c : cases) {
        for (const char *v : vars)
            qunsetenv(v);
        if (*c.all)
            qputenv("LC_ALL", c.all);
        if (*c.lang)
            qputenv("LANG", c.lang);
        bkp::app::brazilianFormatsUnderCLocale();
        EXPECT_TRUE(qEnvironmentVariableIsEmpty("LC_ALL")) << c.all << c.lang;
        EXPECT_EQ(qgetenv("LC_TIME"), c.time) << c.all << c.lang;
        EXPECT_EQ(qgetenv("LC_CTYPE"), c.ctype) << c.all << c.lang;
    }
    for (const char *v : vars)
        if (saved[v].isEmpty())
            qunsetenv(v);
        else
            qputenv(v, saved[v]);
}
