#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace bkp::platform {

// Attribute bits of a file entry, as the listing reports them.
enum FileAttribute : unsigned {
    faReadOnly = 0x01,
    faHidden = 0x02,
    faSysFile = 0x04,
    faVolumeID = 0x08,
    faDirectory = 0x10,
    faArchive = 0x20,
};

struct FileEntry {
    QString name;        // without folder
    qint64 size = 0;     // bytes
    QDateTime lastWrite; // local time
    unsigned attributes = 0;
};

// The program builds paths in any letter case and relies on names that compare
// ignoring case. Every path it uses passes through here: each component is
// resolved to an existing entry of the same name ignoring case; a component that
// does not exist yet is kept as given.
namespace fs {

// The native separator, '/'. A '\\' is an ordinary character in names here:
// callers build local paths with separator(), never with '\\'.
QChar separator();

QString resolve(const QString &path);

// The same resolution for many paths at once (the words of one command line): each
// folder is listed at most once and each name looked up once, so thousands of paths
// below the same folders cost one listing of each. What it learnt is kept for its own
// life only; files made meanwhile are not seen.
class Resolver {
public:
    QString resolve(const QString &path);
    // How many folders it has listed.
    int listings() const { return m_listings; }

private:
    // A path resolved so far: its text, and whether a part of it was not found (what
    // follows is then kept as given).
    struct Resolved {
        QString text;
        bool missing = false;
        bool first = true; // nothing resolved yet
    };
    Resolved resolveParts(const QString &path);
    Resolved resolvePart(const Resolved &done, const QString &part);
    bool exists(const QString &path);
    QString findIgnoringCase(const QString &folder, const QString &name);

    QHash<QString, Resolved> m_resolved; // by folder as written
    QHash<QString, bool> m_exists;
    QHash<QString, QStringList> m_folders;
    int m_listings = 0;
};

bool fileExists(const QString &path);
bool folderExists(const QString &path);
QDateTime lastWriteTime(const QString &path); // invalid when the file does not exist
qint64 fileSize(const QString &path);         // -1 when the file does not exist (or is a folder)

// Entries matching "folder/mask" (masks with * and ?, ignoring case), folders skipped,
// in the order the file system gives them. A mask without a folder lists the current
// folder. An invalid folder gives an empty list. Attributes: faArchive for plain files
// (faSysFile for sockets, pipes and broken links), faReadOnly without the owner's write
// permission, faHidden for names starting with '.'.
QList<FileEntry> listFiles(const QString &mask);
// As on the desktop, a mask ending in ".*" also matches names without a dot:
// "*.*" matches every name.
bool matchesMask(const QString &name, const QString &mask);

bool deleteFile(const QString &path);
// Fails, as the desktop's rename does, when the target already exists.
bool renameFile(const QString &from, const QString &to);
// Creates one folder whose parent exists; false when it cannot (or it exists).
bool createFolder(const QString &path);

QString programPath();   // the running executable, full path
QString programFolder(); // its folder, no trailing separator
QString currentFolder();

// Folder part of a path (without trailing separator; "/" for a name in the root,
// empty without any separator) and the name part (after the last '/').
QString extractFilePath(const QString &path);
QString extractFileName(const QString &path);
// The extension of the name part, its dot included (empty without one), and the
// path with that extension replaced (or added).
QString extractFileExt(const QString &path);
QString changeFileExt(const QString &path, const QString &extension);

} // namespace fs
} // namespace bkp::platform
