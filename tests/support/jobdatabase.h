#pragma once

#include "db/dataroutines.h"
#include "jobdb/datamodule.h"
#include "jobdb/schema.h"
#include "lib/sqltext.h"
#include "support/tempdir.h"

#include <QVariant>
#include <gtest/gtest.h>

namespace bkp::test {

// The program's own job database, created in a folder of its own by the start-up
// opening, with jobs written straight into BACKUPS. With a server address, the
// database is created and served by the Firebird server reached there.
struct JobDatabase {
    TempDir dir;
    jobdb::TDM dm;

    explicit JobDatabase(const QString &server = QString()) {
        const QString file = dir.file(QStringLiteral("BKPZELTO.FB"));
        dm.IBDatabase1->setDatabaseName(server.isEmpty() ? file : server + QLatin1Char(':') + file);
        if (!server.isEmpty())
            dm.IBDatabase1->createDatabase(
                {QStringLiteral("User 'SYSDBA'"), QStringLiteral("password '") +
                                                      QLatin1String(jobdb::AdminPassword) +
                                                      QLatin1Char('\'')});
        jobdb::MemoryLog log;
        EXPECT_TRUE(jobdb::OpenDatabaseTables(&dm, QString(), &log));
        dm.IBTransaction1->commitRetaining();
    }

    static QString literal(const QVariant &v) {
        return v.isNull() ? QStringLiteral("null") : v.toString();
    }
    static QString date(const QDate &d) { return d.isValid() ? SqlDate(FromQDate(d)) : "null"; }
    static QString time(const QTime &t) {
        return t.isValid()
                   ? QLatin1Char('\'') + t.toString(QStringLiteral("HH:mm:ss")) + QLatin1Char('\'')
                   : QStringLiteral("null");
    }

    // A job with its schedule columns; an invalid date or time and a null
    // QVariant are stored as null.
    void addJob(int id, const QString &name, const QVariant &backupActive, const QDate &data,
                const QTime &hora, const QVariant &ftpActive = QVariant(),
                const QDate &ftpData = QDate(), const QTime &ftpHora = QTime()) {
        db::ExecSQL(dm.IBDatabase1,
                    QStringLiteral("Insert into BACKUPS (ID, BACKUPNAME, BACKUPACTIVE, DATA, HORA, "
                                   "FTP_ACTIVE, FTP_DATA, FTP_HORA) values (%1, '%2', %3, %4, %5, "
                                   "%6, %7, %8)")
                        .arg(id)
                        .arg(name, literal(backupActive), date(data), time(hora),
                             literal(ftpActive), date(ftpData), time(ftpHora)));
        dm.IBTransaction1->commitRetaining();
    }

    void exec(const QString &sql) {
        db::ExecSQL(dm.IBDatabase1, sql);
        dm.IBTransaction1->commitRetaining();
    }

    QVariant value(int id, const QString &column) {
        db::Query q;
        q.setDatabase(dm.IBDatabase1);
        q.setTransaction(dm.IBTransaction1);
        q.setSqlText(QStringLiteral("select %1 from BACKUPS where ID = %2").arg(column).arg(id));
        q.open();
        return q.field(0)->value();
    }
};

} // namespace bkp::test
