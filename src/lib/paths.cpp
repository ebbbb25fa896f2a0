#include "lib/paths.h"

#include "lib/strings.h"

namespace bkp {

namespace fs = platform::fs;

QString JoinPath(const QString &left, const QString &right, const QString &separator) {
    QString l = Trim(left);
    QString r = Trim(right);
    if (separator.isEmpty())
        return l + r;
    while (l.endsWith(separator))
        l.chop(separator.size());
    while (r.startsWith(separator))
        r.remove(0, separator.size());
    return l + separator + r;
}

QString ForceFolder(const QString &path) {
    const QChar sep = fs::separator();
    for (qsizetype i = 0; i < path.size(); ++i) {
        // The leading separator of an absolute path gives an empty prefix: nothing to create.
        if (path.at(i) == sep && i > 0)
            fs::createFolder(path.left(i));
    }
    if (!path.isEmpty())
        fs::createFolder(path);
    return path;
}

QString AppSubFolder(const QString &subFolder, const QString &fileName) {
    const QString sep(fs::separator());
    QString folder = ForceFolder(JoinPath(fs::programFolder(), subFolder, sep));
    if (!fileName.isEmpty())
        return JoinPath(folder, fileName, sep);
    return folder;
}

QString LastFolderName(const QString &path) {
    const QChar sep = fs::separator();
    const QString text = UpperTrim(path.isEmpty() ? fs::currentFolder() : path);
    // Separators at the end are collected and dropped; the name ends at the first
    // separator met after at least one character of the name itself.
    QString collected;
    bool haveName = false;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        QChar c = text.at(i);
        if (c == sep && haveName)
            return collected.remove(sep);
        if (c != sep)
            haveName = true;
        collected.prepend(c);
    }
    return QString();
}

QList<platform::FileEntry> ListFiles(const QString &mask) {
    return fs::listFiles(mask);
}

} // namespace bkp
