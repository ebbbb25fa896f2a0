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
class IniFile {
public:
    explicit IniFile(const QString &fileName);

    QString fileName() const { return m_fileName; }

    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue = QString()) const;
    int readInteger(const QString &section, const QString &key, int defaultValue = 0) const;
    bool readBool(const QString &section, const QString &key, bool defaultValue = false) const;
    bool sectionExists(const QString &section) const;
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
    void load();
    void save();
    int findSection(const QString &section) const;          // line index of "[section]" or -1
    int findKey(int sectionLine, const QString &key) const; // line index or -1
    int sectionEnd(int sectionLine) const;                  // first line after the section

    QString m_fileName;
    QStringList m_lines;
};

} // namespace bkp::platform
