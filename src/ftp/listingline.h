#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>

namespace bkp::ftp {

// A listing line that claims to describe a file but cannot be read as one: too
// few fields, a size or a day that is not a number.
class ListingError : public std::runtime_error {
public:
    explicit ListingError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// The fields of a Unix long listing line, split at runs of blanks and counted
// from 1 by the callers: 1 permissions, 2 links, 3 owner, 4 group, 5 size,
// 6 month, 7 day, 8 year or time, 9 the name's first word (ListingName has it whole).
QStringList ListingFields(const QString &line);

// The file name of a listing line: the rest of the line after the date (the
// eighth field), blanks inside it included ("my backup.rar").
QString ListingName(const QString &line);

// The date of a listing as day/month/year ("07/12/2026 14:05", "15/01/2025").
// A time in place of the year marks a recent file: it gets the year of `today`,
// or the year before when that would put it more than a day after `today` (a
// December file listed in January). Raises ListingError for a day that is not a
// number; an unknown month gives "00".
QString ListingDateText(const QString &month, const QString &day, const QString &yearOrTime,
                        const QDate &today);

// One row of the remote folder list.
struct ListingRow {
    QString name;
    QString size; // with the user's thousands separators
    QString date;
};

// The row for a listing line, or nothing for a line that is not a plain file
// (folders, links, the total line, blank lines, other servers' formats). Sizes
// are read as 64-bit numbers. Raises ListingError for a plain-file line that
// cannot be read.
std::optional<ListingRow> ListingRowOf(const QString &line, const QDate &today);

// The four detail lines of a listing line: "Type=", "FileName=", "FileSize=" and
// "DateTime=", each followed by what the line has for it. Raises ListingError
// for a line of eight or more fields whose day is not a number.
QStringList ParseListingLine(const QString &line);
QStringList ParseListingLine(const QString &line, const QDate &today);

} // namespace bkp::ftp
