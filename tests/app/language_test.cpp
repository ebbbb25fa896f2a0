#include "app/language.h"

#include <QCoreApplication>
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
