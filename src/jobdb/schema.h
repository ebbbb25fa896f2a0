#pragma once

#include "db/field.h"

#include <QString>
#include <QStringList>

namespace bkp::platform {
class IniFile;
}

namespace bkp::db {
class Database;
class Table;
} // namespace bkp::db

namespace bkp::jobdb {

class TDM;

// The window that shows what the opening of the database does, line by line.
class StartupLog {
public:
    virtual ~StartupLog() = default;
    virtual void open(const QString &caption) = 0;
    // Appends the line and repaints at once; then waits `pauseMs`.
    virtual void addLog(const QString &line, int pauseMs = 0) = 0;
    virtual void close() = 0;
};

// Keeps the lines in memory (tests, the benchmark, and runs without a window).
class MemoryLog : public StartupLog {
public:
    void open(const QString &caption) override {
        m_caption = caption;
        m_open = true;
    }
    void addLog(const QString &line, int pauseMs = 0) override;
    void close() override { m_open = false; }
    QString caption() const { return m_caption; }
    const QStringList &lines() const { return m_lines; }
    bool isOpen() const { return m_open; }

private:
    QString m_caption;
    QStringList m_lines;
    bool m_open = false;
};

QString FieldTypeToStr(const db::FieldDef &def);

// "Create table" from the definition's columns, then commit-retaining.
void CreateTableFromFields(db::Table *table);

// Brings the table in the database up to its definition: missing columns,
// Date to TimeStamp, text to Integer keeping the values, one widening of a text
// column per call, and the missing indexes.
void CheckTableStructure(db::Table *table, StartupLog *log);

// Opens the connection, or creates the database when it does not exist yet.
bool ConnectOrCreateDatabase(db::Database *database, StartupLog *log);

// Connects every database of the module, creates and checks its tables and opens them.
bool OpenDatabaseTables(TDM *dm, const QString &titleSuffix, StartupLog *log);

// Where the job database is: "DataBase" beside the program, unless the settings
// file names another in "DataBase" / "DataBaseName".
QString LocateDatabase(TDM *dm, platform::IniFile &settings);

// Locates, opens (creating or checking) the job database and commits; false
// when it could not be opened.
bool AbrirDataBase(TDM *dm, platform::IniFile &settings, StartupLog *log);

// Turns "host:path" into the network path the existence test uses:
// 192.168.0.5:C:\DADOS\X.FB becomes \\192.168.0.5\C\DADOS\X.FB.
QString NetworkPathOf(const QString &name);

} // namespace bkp::jobdb
