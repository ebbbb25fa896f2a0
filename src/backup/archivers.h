#pragma once

#include <QString>

namespace bkp::backup {

// An archiver program with the switches a new job gives it.
struct ArchiverChoice {
    QString program; // full path
    QString switches;
};

// The switches that suit an archiver: "a -dh -r" for rar, "a -r" for 7-Zip and arj
// (both refuse rar's -dh).
QString ArchiverSwitches(const QString &program);

// The archiver of a new job: the first of rar, 7zz, 7z and arj found in PATH, as a
// full path, with its switches; /usr/bin/rar with "a -dh -r" when none is found
// (saving the job then warns that it is not a program).
ArchiverChoice DefaultArchiver();

// What saving a job with this archiver should warn about, in Portuguese: a program
// that is not an executable file, or zip, which does not expand the masks it is
// given. Empty when there is nothing to say.
QString ArchiverWarning(const QString &utilitario);

} // namespace bkp::backup
