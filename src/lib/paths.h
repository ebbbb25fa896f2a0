#pragma once

#include "platform/filesystem.h"

#include <QList>
#include <QString>

namespace bkp {

// Joins two path parts with the separator, always inserting it: both parts are
// trimmed, then the separator is stripped repeatedly from the end of `left` and
// from the start of `right`. "/x/" + "" gives "/x/", "" + "x" gives "/x". Local
// paths pass the native separator (platform::fs::separator()), FTP paths "/".
// An empty separator just trims and concatenates.
QString JoinPath(const QString &left, const QString &right, const QString &separator);

// Creates every folder along the path (failures, "already exists" included, are
// ignored: a later file operation reports them) and returns the path unchanged.
QString ForceFolder(const QString &path);

// A sub-folder of the program's folder, created when missing; with a file name,
// that file inside it.
QString AppSubFolder(const QString &subFolder = QString(), const QString &fileName = QString());

// The last folder name of a path, upper case and without separators: for
// "/dados/kapri_10/" it is "KAPRI_10". The current folder when the path is empty;
// empty when the path has no separator before its last name.
QString LastFolderName(const QString &path);

// The files (not folders) matching "folder/mask", in the order the file system
// gives them; empty for a folder that does not exist.
QList<platform::FileEntry> ListFiles(const QString &mask);

} // namespace bkp
