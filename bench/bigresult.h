#pragma once
// A server database with 100,000 rows of ten mixed columns, for the benchmarks that
// read a large result, and the isql-fb run they are measured against.
#include "db/database.h"
#include "db/statement.h"
#include "jobdb/datamodule.h"

#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <vector>

namespace bench {

using namespace bkp;

inline constexpr int kRows = 100000;
inline const char *const kSelect = "select * from BENCH order by ID";

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Connection {
    db::Database database;
    db::Transaction transaction{&database};
    explicit Connection(const QString &name, bool create) {
        database.setDatabaseName(name);
        database.setParams({"user_name=SYSDBA",
                            QStringLiteral("password=") + QLatin1String(jobdb::AdminPassword)});
        transaction.setParams({"read_committed", "rec_version", "nowait"});
        database.setDefaultTransaction(&transaction);
        if (create)
            database.createDatabase({"User 'SYSDBA'", QStringLiteral("password '") +
                                                          QLatin1String(jobdb::AdminPassword) +
                                                          QLatin1Char('\'')});
        else
            database.open();
    }
};

inline void fill(const QString &name) {
    Connection c(name, true);
    auto run = [&](const QString &sql) {
        db::Statement st(&c.database, &c.transaction);
        st.prepare(sql);
        st.execute({});
        c.transaction.commitRetaining();
    };
    run("create table BENCH (ID integer not null primary key, NAME varchar(40), CODE char(10), "
        "PRICE numeric(18,4), RATE double precision, DIA date, HORA time, STAMP timestamp, "
        "BIG bigint, SMALL smallint)");
    run(QString("execute block as declare i integer = 0; begin while (i < %1) do begin "
                "insert into BENCH values (:i, 'nome do registro ' || :i, 'C' || mod(:i, 1000), "
                ":i * 1.2345, :i / 7.0, dateadd(mod(:i, 3650) day to date '2020-01-01'), "
                "time '12:34:56', timestamp '2026-12-09 10:00:00', :i * 100000, mod(:i, 30000)); "
                "i = i + 1; end end")
            .arg(kRows));
    c.transaction.commit();
}

// Milliseconds isql-fb takes to write the select's rows to `out`; -1 when it fails.
inline double isqlToFile(const QString &name, const QString &out) {
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start("isql-fb",
            {"-q", "-user", "SYSDBA", "-password", jobdb::AdminPassword, "-o", out, name});
    p.write(QByteArray(kSelect) + ";\n");
    p.closeWriteChannel();
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return -1;
    return t.nsecsElapsed() / 1e6;
}

} // namespace bench
