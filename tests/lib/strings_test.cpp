#include "lib/strings.h"

#include <gtest/gtest.h>
#include <limits>

using namespace bkp;

TEST(LeftRightMid, CutWithinTheTextAndNeverBeyondIt) {
    EXPECT_EQ(LeftStr("Fevereiro", 8), "Fevereir");
    EXPECT_EQ(LeftStr("Maio", 8), "Maio");
    EXPECT_EQ(LeftStr("Maio", -3), "");

    EXPECT_EQ(RightStr("backup.rar", 4), ".rar");
    EXPECT_EQ(RightStr("rar", 10), "rar");
    EXPECT_EQ(RightStr("rar", -1), "");

    EXPECT_EQ(MidStr("abcdef", 2, 3), "bcd");
    EXPECT_EQ(MidStr("abcdef", 4, -1), "def");
    EXPECT_EQ(MidStr("abcdef", 5, 10), "ef");
    EXPECT_EQ(MidStr("abcdef", 7, 2), "");
    EXPECT_EQ(MidStr("abcdef", 0, 2), "ab");
    EXPECT_EQ(MidStr("abcdef", -5, -1), "abcdef");
}

TEST(UpperTrim, UpperCasesAndDropsBlanksAndControlCharacters) {
    EXPECT_EQ(UpperTrim(QStringLiteral(" \t/pasta/Terça\r\n")), QStringLiteral("/PASTA/TERÇA"));
    EXPECT_EQ(UpperTrim("   "), "");
    // The length never changes: a letter without a capital in the code page stays.
    EXPECT_EQ(UpperTrim(QStringLiteral("straße µ")), QStringLiteral("STRAßE µ"));
    EXPECT_EQ(UpperTrim(QStringLiteral("ÿ")), QStringLiteral("Ÿ"));
    // A non-breaking space is not a blank to the program.
    EXPECT_EQ(UpperTrim(QStringLiteral("\u00A0a")), QStringLiteral("\u00A0A"));
}

TEST(SpacesAndRepeat, BuildRunsAndNothingForNonPositiveCounts) {
    EXPECT_EQ(Spaces(3), "   ");
    EXPECT_EQ(Spaces(-2), "");
    EXPECT_EQ(RepeatText("ab", 3), "ababab");
    EXPECT_EQ(RepeatText("ab", -1), "");
}

TEST(ZeroPad, PadsToTheWidthAndNeverCutsLongerValues) {
    EXPECT_EQ(ZeroPad(2, 7), "07");
    EXPECT_EQ(ZeroPad(3, 45), "045");
    EXPECT_EQ(ZeroPad(2, 123), "123");
    EXPECT_EQ(ZeroPad(3, 0), "000");
    EXPECT_EQ(ZeroPad(0, 5), "5");
    EXPECT_EQ(ZeroPad(2, 9876543210123LL), "9876543210123");
    EXPECT_EQ(ZeroPad(3, -5), "-05");
    EXPECT_EQ(ZeroPad(1, std::numeric_limits<qint64>::min()), "-9223372036854775808");
}

TEST(ReplaceText, IgnoresCaseAndHonoursTheCount) {
    EXPECT_EQ(ReplaceText("A -R -r", "-r", "", 0), "A  ");
    EXPECT_EQ(ReplaceText("A -R -r", "-r", "", 1), "A  -r");
    EXPECT_EQ(ReplaceText("a  b  c", "  ", " ", 0), "a b c");
    // One pass only: four blanks become two, not one.
    EXPECT_EQ(ReplaceText("a    b", "  ", " ", 0), "a  b");
    // The replacement is not searched again, even when it contains the text sought.
    EXPECT_EQ(ReplaceText("xx", "x", "xx", 0), "xxxx");
    // A match must fit before the end of the text.
    EXPECT_EQ(ReplaceText("abc-", "-r", "", 0), "abc-");
    EXPECT_EQ(ReplaceText(QStringLiteral("pasta TERÇA"), QStringLiteral("terça"), "x"),
              QStringLiteral("pasta x"));
    EXPECT_EQ(ReplaceText("abc", "", "x", 0), "abc");
}

TEST(StripTrailing, TrimsThenDropsTheTrailingCharacters) {
    EXPECT_EQ(StripTrailing("/dados// ", "/"), "/dados");
    EXPECT_EQ(StripTrailing("  /dados", "/"), "/dados");
    EXPECT_EQ(StripTrailing("///", "/"), "");
    EXPECT_EQ(StripTrailing("abc;;", ";/"), "abc");
    EXPECT_EQ(StripTrailing(" abc ", ""), "abc");
}

TEST(SplitString, KeepsEveryPieceIncludingEmptyOnes) {
    EXPECT_EQ(SplitString("", ' ', true), QStringList{""});
    EXPECT_EQ(SplitString("", ';', false), QStringList{""});
    EXPECT_EQ(SplitString("*.doc  *.xls", ' ', true), (QStringList{"*.doc", "*.xls"}));
    EXPECT_EQ(SplitString("  *.doc     *.xls  *.txt ", ' ', true),
              (QStringList{"*.doc", "*.xls", "*.txt"}));
    // Without normalising, blanks count as they stand.
    EXPECT_EQ(SplitString("*.doc  *.xls", ' ', false), (QStringList{"*.doc", "", "*.xls"}));
    EXPECT_EQ(SplitString("a;b;", ';', false), (QStringList{"a", "b", ""}));
    EXPECT_EQ(SplitString(" a ; b ;", ';', true), (QStringList{"a", "b", ""}));
    EXPECT_EQ(SplitString(";", ';', false), (QStringList{"", ""}));
}

TEST(SplitString, FillsAGivenListAfterClearingIt) {
    QStringList list{"old", "items"};
    EXPECT_EQ(SplitString("-rw-r--r--   1 root     root  4 Jan 01  2020 old.zip", &list, ' ', true),
              &list);
    EXPECT_EQ(list, (QStringList{"-rw-r--r--", "1", "root", "root", "4", "Jan", "01", "2020",
                                 "old.zip"}));
    EXPECT_EQ(SplitString("x", nullptr, ' ', true), nullptr);
}

TEST(IfThenValueAndVarMax, PickTheRightValue) {
    int tipo = -1;
    EXPECT_EQ(IfThenValue(tipo < 0, 0, tipo), 0);
    tipo = 3;
    EXPECT_EQ(IfThenValue(tipo < 0, 0, tipo), 3);
    EXPECT_EQ(IfThenValue(false, QString("a"), "b"), QString("b"));
    EXPECT_DOUBLE_EQ(IfThenValue(true, 1, 2.5), 1.0);

    EXPECT_EQ(VarMax(-1, 0), 0);
    EXPECT_DOUBLE_EQ(VarMax(1, 1.5), 1.5);
}

TEST(MonthNumber, ReadsEnglishAbbreviationsInAnyCase) {
    EXPECT_EQ(MonthNumber("dec"), 12);
    EXPECT_EQ(MonthNumber(" SEP "), 9);
    EXPECT_EQ(MonthNumber("Dez"), 0);
    EXPECT_EQ(MonthNumber("Sept"), 0);
}

TEST(Weekdays, NameEveryDayFromSunday) {
    // 6 December 2026 is a Sunday.
    const QStringList full{"Domingo", "Segunda", QStringLiteral("Terça"), "Quarta",
                           "Quinta",  "Sexta",   QStringLiteral("Sábado")};
    const QStringList shortNames{"Dom", "Seg", "Ter", "Qua", "Qui", "Sex", QStringLiteral("Sáb")};
    for (int i = 0; i < 7; ++i) {
        TDateTime day = EncodeDate(2026, 12, 6 + i) + EncodeTime(23, 59, 59);
        EXPECT_EQ(WeekdayName(day), full.at(i));
        EXPECT_EQ(WeekdayShort(day), shortNames.at(i));
    }
}
