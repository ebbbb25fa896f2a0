#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace bkp::test {

// A fresh folder for one test, removed afterwards.
class TempDir {
public:
    TempDir() : m_dir(QDir::tempPath() + QStringLiteral("/bkptest-XXXXXX")) {}
    QString path() const { return m_dir.path(); }
    QString file(const QString &relative) const {
        return m_dir.path() + QLatin1Char('/') + relative;
    }
    // Writes a file (creating its folders) and returns its full path.
    QString write(const QString &relative, const QByteArray &content = QByteArray()) const {
        QString full = file(relative);
        QDir().mkpath(QFileInfo(full).absolutePath());
        QFile f(full);
        if (f.open(QIODevice::WriteOnly))
            f.write(content);
        return full;
    }
    QByteArray read(const QString &relative) const {
        QFile f(file(relative));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_dir;
};

} // namespace bkp::test
