#pragma once

#include <QString>
#include <QStringList>

namespace bkp::db {

// A name as SQL must be written for the engine to find it as stored: in double
// quotes when it holds a blank or another sign, a lower-case letter, begins with a
// digit or is a reserved word; as it is otherwise. Quotes inside it are doubled.
QString QuoteIdentifier(const QString &name);
bool NeedsQuotes(const QString &name);
bool IsReservedWord(const QString &word);

// The name as the catalogue stores it: a quoted name keeps its case, a plain one
// ("backups") is upper-cased, one with blanks or signs ("my table") stays as it is.
QString CatalogueName(const QString &sqlName);

} // namespace bkp::db
