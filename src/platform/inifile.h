#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>

namespace bkp::platform {

// Raised when the settings file cannot be written; the message names the file.
class IniWriteError : public std::runtime_error {
public:
    explicit IniWriteError(const QString &message) : std::runtime_error(message.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};

// A private-profile (INI) file. Sections and keys compare ignoring case; every
// change is written to disk at once, and lines that the change does not touch
// (comments, other sections, an installer script's own lines) stay as they are.
// Values read trimmed, with one pair of enclosing quotes removed; lines starting
// with ';' or '#' are comments. A new key goes after the last entry of its section,
// a new section at the end of the file. The file keeps its line endings (CRLF or
// LF) and its encoding (UTF-8, or Windows-1252 when it is not valid UTF-8), which
// this object keeps while the file holds only ASCII; a new file is UTF-8 with LF.
class IniFile {
public:
    explicit IniFile(const QString &fileName);

    QString fileName() const { return m_fileName; }

    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue = QString()) const;
    // Decimal, or hexadecimal after "0x" or "$"; anything else gives the default.
    int readInteger(const QString &section, const QString &key, int defaultValue = 0) const;
    // "0" is false, any other integer true; not an integer: the default.
    bool readBool(const QString &section, const QString &key, bool defaultValue = false) const;
    bool sectionExists(const QString &section) const; // its "[section]" line is there
    bool valueExists(const QString &section, const QString &key) const;
    QStringList readSections() const;
    QStringList readSection(const QString &section) const; // the keys, in file order

    // These throw IniWriteError when the file cannot be written.
    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, int value);
    void writeBool(const QString &section, const QString &key, bool value);
    void eraseSection(const QString &section);
    void deleteKey(const QString &section, const QString &key);
    // Writes the file as it stands now (creating it when it does not exist yet).
    void updateFile();

private:
    // Every operation reads the file afresh, as the desktop's profile functions
    // do, so two objects on one file (or another program) never overwrite each
    // other's changes with a stale copy.
    void load() const;
    void save() const;
    QString diskName() const; // m_fileName resolved ignoring case
    int findSection(const QString &section, int from = 0) const; // line of "[section]" or -1
    int findKey(int sectionLine, const QString &key) const;      // line index or -1
    int sectionEnd(int sectionLine) const;                       // first line after the section
    void insertLine(int index, const QString &text) const;

    QString m_fileName;
    // The file as last read: each line's text without its line ending, and the
    // ending itself ("\r\n", "\n" or empty for a last line without one).
    mutable QStringList m_lines;
    mutable QStringList m_endings;
    mutable QString m_newline = QStringLiteral("\n"); // for lines this object adds
    mutable bool m_utf8 = true;                       // else Windows-1252
    mutable bool m_bom = false;
};

} // namespace bkp::platform
