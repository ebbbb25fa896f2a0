#include "platform/filesystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace bkp::platform::fs {

namespace {

const QChar kSep = QLatin1Char('/');

// An entry exists (a broken symbolic link counts: it is a name in the folder).
bool entryExists(const QString &path) {
    QFileInfo fi(path);
    return fi.exists() || fi.isSymLink();
}

// The entries of a folder in name order.
QStringList folderEntries(const QString &folder) {
    QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    return dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                         QDir::Name);
}

// Matches name[ni..] against mask[mi..] with * and ?; both already case-folded.
bool wildcardMatch(const QString &name, const QString &mask) {
    qsizetype n = 0, m = 0;
    qsizetype starMask = -1, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == QLatin1Char('?') || mask[m] == name[n])) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == QLatin1Char('*')) {
            starMask = m++;
            starName = n;
        } else if (starMask >= 0) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == QLatin1Char('*'))
        ++m;
    return m == mask.size();
}

QString joined(const QString &folder, const QString &name) {
    if (folder.isEmpty())
        return name;
    if (folder.endsWith(kSep))
        return folder + name;
    return folder + kSep + name;
}

} // namespace

QChar separator() {
    return kSep;
}

QString resolve(const QString &path) {
    return Resolver().resolve(path);
}

bool Resolver::exists(const QString &path) {
    const auto known = m_exists.constFind(path);
    if (known != m_exists.constEnd())
        return *known;
    const bool found = entryExists(path);
    m_exists.insert(path, found);
    return found;
}

// The name in `folder` that equals `name` ignoring case, or an empty text. The
// exact name has already been tried; among several matches the first in name
// order wins, so the answer does not depend on the order of the folder.
QString Resolver::findIgnoringCase(const QString &folder, const QString &name) {
    auto listed = m_folders.find(folder);
    if (listed == m_folders.end()) {
        ++m_listings;
        listed = m_folders.insert(folder, folderEntries(folder));
    }
    for (const QString &candidate : std::as_const(*listed)) {
        if (candidate.compare(name, Qt::CaseInsensitive) == 0)
            return candidate;
    }
    return QString();
}

QString Resolver::resolve(const QString &path) {
    // A path's folder is resolved once for all the names below it.
    const qsizetype last = path.lastIndexOf(kSep);
    if (last <= 0)
        return resolveParts(path).text;
    const QString folderPart = path.left(last);
    auto folder = m_resolved.constFind(folderPart);
    if (folder == m_resolved.constEnd())
        folder = m_resolved.insert(folderPart, resolveParts(folderPart));
    return folder->text + kSep + resolvePart(*folder, path.mid(last + 1)).text;
}

Resolver::Resolved Resolver::resolvePart(const Resolved &done, const QString &part) {
    if (done.missing || part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
        return {part, done.missing};
    const QString folder =
        done.first ? QString() : (done.text.isEmpty() ? QString(kSep) : done.text);
    if (exists(joined(folder, part)))
        return {part, false};
    const QString found = findIgnoringCase(folder, part);
    // A name not found is kept as given, and so is everything after it.
    return found.isEmpty() ? Resolved{part, true} : Resolved{found, false};
}

Resolver::Resolved Resolver::resolveParts(const QString &path) {
    Resolved done;
    if (path.isEmpty())
        return done;
    for (const QString &part : path.split(kSep, Qt::KeepEmptyParts)) {
        const Resolved piece = resolvePart(done, part);
        done.text = done.first ? piece.text : done.text + kSep + piece.text;
        done.missing = piece.missing;
        done.first = false;
    }
    return done;
}

bool fileExists(const QString &path) {
    if (path.isEmpty())
        return false;
    return QFileInfo(resolve(path)).isFile();
}

bool folderExists(const QString &path) {
    if (path.isEmpty())
        return false;
    return QFileInfo(resolve(path)).isDir();
}

QDateTime lastWriteTime(const QString &path) {
    if (path.isEmpty())
        return QDateTime();
    QFileInfo fi(resolve(path));
    if (!fi.exists())
        return QDateTime();
    return fi.lastModified().toLocalTime();
}

qint64 fileSize(const QString &path) {
    if (path.isEmpty())
        return -1;
    QFileInfo fi(resolve(path));
    return fi.isFile() ? fi.size() : -1;
}

bool matchesMask(const QString &name, const QString &mask) {
    if (mask.isEmpty())
        return false;
    const QString n = name.toCaseFolded();
    const QString m = mask.toCaseFolded();
    if (wildcardMatch(n, m))
        return true;
    // As on the desktop, a mask ending in ".*" also takes names without an
    // extension: "*.*" matches every name, "backup.*" matches "backup".
    if (m.endsWith(QLatin1String(".*")))
        return wildcardMatch(n, m.left(m.size() - 2));
    return false;
}

QList<FileEntry> listFiles(const QString &mask) {
    QList<FileEntry> result;
    const qsizetype cut = mask.lastIndexOf(kSep);
    QString folder = cut < 0 ? QString() : mask.left(cut);
    const QString pattern = cut < 0 ? mask : mask.mid(cut + 1);
    if (cut == 0)
        folder = kSep; // "/name"
    if (pattern.isEmpty())
        return result;
    const QString dirPath = folder.isEmpty() ? QDir::currentPath() : resolve(folder);
    QFileInfo dirInfo(dirPath);
    if (!dirInfo.isDir())
        return result;
    QDirIterator it(dirPath, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo fi = it.fileInfo();
        if (fi.isDir())
            continue;
        const QString name = fi.fileName();
        if (!matchesMask(name, pattern))
            continue;
        FileEntry e;
        e.name = name;
        e.size = fi.size();
        e.lastWrite = fi.lastModified().toLocalTime();
        unsigned attributes = 0;
        if (!(fi.permissions() & QFileDevice::WriteOwner) || !fi.isWritable())
            attributes |= faReadOnly;
        if (name.startsWith(QLatin1Char('.')))
            attributes |= faHidden;
        if (fi.isFile())
            attributes |= faArchive;
        else
            attributes |= faSysFile; // sockets, pipes, devices, broken links
        e.attributes = attributes;
        result.append(e);
    }
    return result;
}

bool deleteFile(const QString &path) {
    if (path.isEmpty())
        return false;
    const QString r = resolve(path);
    QFileInfo fi(r);
    if (fi.isDir() && !fi.isSymLink())
        return false;
    return QFile::remove(r);
}

bool renameFile(const QString &from, const QString &to) {
    if (from.isEmpty() || to.isEmpty())
        return false;
    const QString source = resolve(from);
    if (!entryExists(source))
        return false;
    const QString target = resolve(to);
    if (entryExists(target)) {
        // The same entry in another letter case: the desktop renames it to the
        // new spelling. Anything else already there makes the rename fail.
        const QString canonicalSource = QFileInfo(source).canonicalFilePath();
        if (canonicalSource.isEmpty() || canonicalSource != QFileInfo(target).canonicalFilePath())
            return false;
        const QString newName = joined(extractFilePath(target), extractFileName(to));
        if (newName == source)
            return true;
        return QFile::rename(source, newName);
    }
    return QFile::rename(source, target);
}

bool createFolder(const QString &path) {
    if (path.isEmpty())
        return false;
    QString r = resolve(path);
    while (r.size() > 1 && r.endsWith(kSep))
        r.chop(1);
    return QDir().mkdir(r);
}

QString programPath() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}

QString programFolder() {
    const QString p = programPath();
    return extractFilePath(p);
}

QString currentFolder() {
    return QDir::currentPath();
}

QString extractFilePath(const QString &path) {
    const qsizetype cut = path.lastIndexOf(kSep);
    if (cut < 0)
        return QString();
    if (cut == 0)
        return QString(kSep); // the root keeps its separator
    return path.left(cut);
}

QString extractFileName(const QString &path) {
    const qsizetype cut = path.lastIndexOf(kSep);
    return cut < 0 ? path : path.mid(cut + 1);
}

namespace {
// Where the extension of the name part starts (its dot), or -1.
qsizetype extensionStart(const QString &path) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot > path.lastIndexOf(kSep) ? dot : -1;
}
} // namespace

QString extractFileExt(const QString &path) {
    const qsizetype dot = extensionStart(path);
    return dot < 0 ? QString() : path.mid(dot);
}

QString changeFileExt(const QString &path, const QString &extension) {
    const qsizetype dot = extensionStart(path);
    return (dot < 0 ? path : path.left(dot)) + extension;
}

} // namespace bkp::platform::fs
