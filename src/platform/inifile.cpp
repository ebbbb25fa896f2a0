#include "platform/inifile.h"

#include "platform/ansi.h"
#include "platform/filesystem.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>
#include <cctype>
#include <climits>

namespace bkp::platform {

namespace {

bool isComment(const QString &trimmed) {
    return trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
}

// "[name]" (blanks allowed around it and around the name): the name, else a null text.
QString sectionName(const QString &line) {
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return QString();
    const qsizetype close = t.lastIndexOf(QLatin1Char(']'));
    if (close < 1)
        return QString();
    QString name = t.mid(1, close - 1).trimmed();
    if (name.isNull())
        name = QLatin1String("");
    return name;
}

bool isSectionLine(const QString &line) {
    return !sectionName(line).isNull();
}

// "key=value": the trimmed key, else a null text (comments, blank lines, lines without "=").
QString keyName(const QString &line) {
    const QString t = line.trimmed();
    if (t.isEmpty() || isComment(t) || isSectionLine(line))
        return QString();
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return QString();
    const QString key = t.left(eq).trimmed();
    return key.isEmpty() ? QString() : key;
}

// The value as GetPrivateProfileString gives it: trimmed, and one pair of
// matching quotes around it removed.
QString keyValue(const QString &line) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    QString v = line.mid(eq + 1).trimmed();
    if (v.size() >= 2 && (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\'')) &&
        v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return v;
}

// A line that carries content of its section (not blank, not a comment).
bool isContent(const QString &line) {
    const QString t = line.trimmed();
    return !t.isEmpty() && !isComment(t);
}

bool parseInteger(const QString &text, int &value) {
    QString s = text;
    bool negative = false;
    if (s.startsWith(QLatin1Char('-')) || s.startsWith(QLatin1Char('+'))) {
        negative = s.front() == QLatin1Char('-');
        s = s.mid(1);
    }
    int base = 10;
    if (s.size() > 2 && s[0] == QLatin1Char('0') &&
        (s[1] == QLatin1Char('x') || s[1] == QLatin1Char('X'))) {
        base = 16;
        s = s.mid(2);
    } else if (s.size() > 1 && s[0] == QLatin1Char('$')) {
        base = 16;
        s = s.mid(1);
    }
    if (s.isEmpty())
        return false;
    for (QChar c : s) {
        if (base == 10 ? !c.isDigit() : !isxdigit(c.toLatin1()))
            return false;
    }
    bool ok = false;
    qlonglong v = s.toLongLong(&ok, base);
    if (!ok)
        return false;
    if (negative)
        v = -v;
    if (base == 16 && !negative && v > INT_MAX && v <= qlonglong(UINT_MAX))
        v = static_cast<int>(static_cast<unsigned>(v)); // "$FFFFFFFF" is -1, as on the desktop
    if (v < INT_MIN || v > INT_MAX)
        return false;
    value = static_cast<int>(v);
    return true;
}

} // namespace

IniFile::IniFile(const QString &fileName) : m_fileName(fileName) {}

QString IniFile::diskName() const {
    return fs::resolve(m_fileName);
}

void IniFile::load() const {
    m_lines.clear();
    m_endings.clear();
    m_newline = QStringLiteral("\n");
    m_bom = false;

    QFile f(diskName());
    if (!f.open(QIODevice::ReadOnly))
        return;
    QByteArray bytes = f.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        m_bom = true;
        bytes.remove(0, 3);
    }
    // A file of plain ASCII says nothing of its encoding: it keeps the one it was
    // read with before (a script whose only accents were in a section just erased
    // stays Windows-1252). Anything else decides it for the life of this object.
    const bool ascii = std::all_of(bytes.cbegin(), bytes.cend(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (m_bom || !ascii) {
        m_utf8 = isUtf8(bytes);
    }
    bool endingSeen = false;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype nl = bytes.indexOf('\n', start);
        qsizetype end = nl < 0 ? bytes.size() : nl;
        QString ending;
        qsizetype textEnd = end;
        if (nl >= 0) {
            if (end > start && bytes[end - 1] == '\r') {
                --textEnd;
                ending = QStringLiteral("\r\n");
            } else {
                ending = QStringLiteral("\n");
            }
            if (!endingSeen) {
                m_newline = ending;
                endingSeen = true;
            }
        }
        QByteArrayView text(bytes.constData() + start, textEnd - start);
        m_lines.append(m_utf8 ? QString::fromUtf8(text)
                              : bkp::fromAnsi(text.data(), int(text.size())));
        m_endings.append(ending);
        start = nl < 0 ? bytes.size() : nl + 1;
    }
}

void IniFile::save() const {
    const QString name = diskName();
    const QString message = QStringLiteral("Unable to write to %1").arg(name);
    QByteArray bytes;
    if (m_bom)
        bytes.append("\xEF\xBB\xBF");
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        bytes.append(m_utf8 ? m_lines[i].toUtf8() : bkp::toAnsi(m_lines[i]));
        bytes.append(m_endings[i].toLatin1());
    }
    QFileInfo fi(name);
    // A file without its write permission is refused, as the desktop refuses a
    // read-only file (also for the superuser, whom the file system would let through).
    if (fi.exists() &&
        (fi.isDir() || !fi.isWritable() || !(fi.permissions() & QFileDevice::WriteOwner)))
        throw IniWriteError(message);
    QSaveFile out(name);
    out.setDirectWriteFallback(true);
    if (!out.open(QIODevice::WriteOnly))
        throw IniWriteError(message);
    if (out.write(bytes) != bytes.size()) {
        out.cancelWriting();
        throw IniWriteError(message);
    }
    if (!out.commit())
        throw IniWriteError(message);
}

int IniFile::findSection(const QString &section, int from) const {
    const QString wanted = section.trimmed();
    for (int i = from; i < m_lines.size(); ++i) {
        const QString name = sectionName(m_lines[i]);
        if (!name.isNull() && name.compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int IniFile::sectionEnd(int sectionLine) const {
    int i = sectionLine + 1;
    while (i < m_lines.size() && !isSectionLine(m_lines[i]))
        ++i;
    return i;
}

int IniFile::findKey(int sectionLine, const QString &key) const {
    const QString wanted = key.trimmed();
    const int end = sectionEnd(sectionLine);
    for (int i = sectionLine + 1; i < end; ++i) {
        const QString name = keyName(m_lines[i]);
        if (!name.isNull() && name.compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void IniFile::insertLine(int index, const QString &text) const {
    // The line before the new one must end in a line break.
    if (index > 0 && m_endings[index - 1].isEmpty())
        m_endings[index - 1] = m_newline;
    m_lines.insert(index, text);
    m_endings.insert(index, m_newline);
}

QString IniFile::readString(const QString &section, const QString &key,
                            const QString &defaultValue) const {
    load();
    for (int s = findSection(section); s >= 0; s = findSection(section, s + 1)) {
        const int k = findKey(s, key);
        if (k >= 0)
            return keyValue(m_lines[k]);
    }
    return defaultValue;
}

int IniFile::readInteger(const QString &section, const QString &key, int defaultValue) const {
    const QString text = readString(section, key, QString());
    int value = 0;
    return parseInteger(text, value) ? value : defaultValue;
}

bool IniFile::readBool(const QString &section, const QString &key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool IniFile::sectionExists(const QString &section) const {
    load();
    return findSection(section) >= 0;
}

bool IniFile::valueExists(const QString &section, const QString &key) const {
    load();
    for (int s = findSection(section); s >= 0; s = findSection(section, s + 1)) {
        if (findKey(s, key) >= 0)
            return true;
    }
    return false;
}

QStringList IniFile::readSections() const {
    load();
    QStringList names;
    for (const QString &line : std::as_const(m_lines)) {
        const QString name = sectionName(line);
        if (!name.isNull() && !names.contains(name, Qt::CaseInsensitive))
            names.append(name);
    }
    return names;
}

QStringList IniFile::readSection(const QString &section) const {
    load();
    QStringList keys;
    for (int s = findSection(section); s >= 0; s = findSection(section, s + 1)) {
        const int end = sectionEnd(s);
        for (int i = s + 1; i < end; ++i) {
            const QString name = keyName(m_lines[i]);
            if (!name.isNull() && !keys.contains(name, Qt::CaseInsensitive))
                keys.append(name);
        }
    }
    return keys;
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value) {
    load();
    const QString sectionTrimmed = section.trimmed();
    const QString keyTrimmed = key.trimmed();
    for (int s = findSection(sectionTrimmed); s >= 0; s = findSection(sectionTrimmed, s + 1)) {
        const int k = findKey(s, keyTrimmed);
        if (k < 0)
            continue;
        // Keep the key as the file spells it and the blanks around "=".
        const QString &line = m_lines[k];
        qsizetype cut = line.indexOf(QLatin1Char('=')) + 1;
        while (cut < line.size() &&
               (line[cut] == QLatin1Char(' ') || line[cut] == QLatin1Char('\t')))
            ++cut;
        m_lines[k] = line.left(cut) + value;
        save();
        return;
    }
    const QString entry = keyTrimmed + QLatin1Char('=') + value;
    const int s = findSection(sectionTrimmed);
    if (s >= 0) {
        // After the last line with content, so blank lines and comments that lead
        // into the next section stay in front of it.
        int at = s + 1;
        const int end = sectionEnd(s);
        for (int i = s + 1; i < end; ++i) {
            if (isContent(m_lines[i]))
                at = i + 1;
        }
        insertLine(at, entry);
    } else {
        insertLine(int(m_lines.size()), QLatin1Char('[') + sectionTrimmed + QLatin1Char(']'));
        insertLine(int(m_lines.size()), entry);
    }
    save();
}

void IniFile::writeInteger(const QString &section, const QString &key, int value) {
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString &section, const QString &key, bool value) {
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::eraseSection(const QString &section) {
    load();
    bool changed = false;
    for (int s = findSection(section); s >= 0; s = findSection(section, s)) {
        // The header and everything up to its last line with content; blank lines
        // and comments after that lead into whatever follows and stay.
        int last = s;
        const int end = sectionEnd(s);
        for (int i = s + 1; i < end; ++i) {
            if (isContent(m_lines[i]))
                last = i;
        }
        const bool wasLast = last + 1 >= m_lines.size();
        const QString lastEnding = m_endings[last];
        m_lines.remove(s, last - s + 1);
        m_endings.remove(s, last - s + 1);
        // Erasing the end of a file that had no final line break keeps it without one.
        if (wasLast && !m_lines.isEmpty() && lastEnding.isEmpty() && s == m_lines.size())
            m_endings.last() = QString();
        changed = true;
    }
    if (changed)
        save();
}

void IniFile::deleteKey(const QString &section, const QString &key) {
    load();
    bool changed = false;
    for (int s = findSection(section); s >= 0; s = findSection(section, s + 1)) {
        for (int k = findKey(s, key); k >= 0; k = findKey(s, key)) {
            const bool wasLast = k + 1 == m_lines.size();
            const QString ending = m_endings[k];
            m_lines.removeAt(k);
            m_endings.removeAt(k);
            if (wasLast && k > 0 && ending.isEmpty())
                m_endings[k - 1] = QString();
            changed = true;
        }
    }
    if (changed)
        save();
}

void IniFile::updateFile() {
    load();
    QFileInfo fi(diskName());
    if (fi.exists() && fi.isFile())
        return; // every change is on disk already; the file stands as it is
    save();
}

} // namespace bkp::platform
