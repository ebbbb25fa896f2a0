#include "ftp/listingline.h"

#include "backup/folderrows.h"
#include "lib/strings.h"
#include "platform/clock.h"

namespace bkp::ftp {

namespace {

// Long enough to tell the operator which line it was, short enough for a box.
QString shown(const QString &text) {
    constexpr int Limit = 80;
    return text.size() > Limit ? text.left(Limit) + QStringLiteral("...") : text;
}

int dayNumber(const QString &day) {
    bool ok = false;
    const int value = day.toInt(&ok);
    if (!ok)
        throw ListingError(QStringLiteral("'%1' não é um dia válido").arg(shown(day)));
    return value;
}

} // namespace

QStringList ListingFields(const QString &line) {
    return SplitString(line, QLatin1Char(' '), true);
}

QString ListingName(const QString &line) {
    // Past eight fields and the blanks after each: what is left is the name.
    qsizetype at = 0;
    const auto skipBlanks = [&] {
        while (at < line.size() && line.at(at).isSpace())
            ++at;
    };
    for (int field = 0; field < 8; ++field) {
        skipBlanks();
        while (at < line.size() && !line.at(at).isSpace())
            ++at;
    }
    skipBlanks();
    QString name = line.mid(at);
    while (name.endsWith(QLatin1Char('\r')) || name.endsWith(QLatin1Char('\n')))
        name.chop(1);
    return name;
}

QString ListingDateText(const QString &month, const QString &day, const QString &yearOrTime,
                        const QDate &today) {
    const int dayValue = dayNumber(day);
    const int monthValue = MonthNumber(month);
    const QString dayMonth =
        ZeroPad(2, dayValue) + QLatin1Char('/') + ZeroPad(2, monthValue) + QLatin1Char('/');
    if (!yearOrTime.contains(QLatin1Char(':')))
        return dayMonth + yearOrTime;
    int year = today.year();
    // Recent files are listed with a time and no year: those of the last half year.
    const QDate inThisYear(year, monthValue, dayValue);
    if (inThisYear.isValid() && inThisYear > today.addDays(1))
        --year;
    return dayMonth + QString::number(year) + QLatin1Char(' ') + yearOrTime;
}

std::optional<ListingRow> ListingRowOf(const QString &line, const QDate &today) {
    if (!Trim(line).startsWith(QLatin1Char('-')))
        return std::nullopt;
    const QStringList fields = ListingFields(line);
    if (fields.size() < 9)
        throw ListingError(QStringLiteral("Linha de listagem incompleta: %1").arg(shown(line)));
    bool ok = false;
    const qint64 size = fields.at(4).toLongLong(&ok);
    if (!ok || size < 0)
        throw ListingError(
            QStringLiteral("'%1' não é um tamanho de arquivo válido").arg(shown(fields.at(4))));
    ListingRow row;
    row.name = ListingName(line);
    row.size = backup::FormatFileSize(size);
    row.date = ListingDateText(fields.at(5), fields.at(6), fields.at(7), today);
    return row;
}

QStringList ParseListingLine(const QString &line) {
    return ParseListingLine(line, platform::clock().now().date());
}

QStringList ParseListingLine(const QString &line, const QDate &today) {
    const QStringList fields = ListingFields(line);
    const auto field = [&](int number) {
        return fields.size() >= number ? fields.at(number - 1) : QString();
    };
    QStringList details;
    details << QStringLiteral("Type=") + UpperTrim(field(1).left(1));
    details << QStringLiteral("FileName=") + (fields.size() >= 9 ? ListingName(line) : QString());
    details << QStringLiteral("FileSize=") + field(5);
    details << QStringLiteral("DateTime=") +
                   (fields.size() >= 8 ? ListingDateText(field(6), field(7), field(8), today)
                                       : QString());
    return details;
}

} // namespace bkp::ftp
