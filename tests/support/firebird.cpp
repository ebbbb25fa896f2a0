#include "support/firebird.h"

#include "db/dataroutines.h"
#include "jobdb/jobqueries.h"

#include <QProcess>
#include <QTcpSocket>

namespace bkp::test {

bool serverAnswers() {
    QTcpSocket s;
    s.connectToHost(QStringLiteral("127.0.0.1"), 3050);
    return s.waitForConnected(2000);
}

TestDatabase::TestDatabase(const QString &path, bool create)
    : database(std::make_unique<db::Database>()), transaction(std::make_unique<db::Transaction>()) {
    database->setDatabaseName(path);
    database->setParams({QStringLiteral("user_name=SYSDBA"),
                         QStringLiteral("password=") + QLatin1String(jobdb::AdminPassword)});
    transaction->setParams({QStringLiteral("read_committed"), QStringLiteral("rec_version"),
                            QStringLiteral("nowait")});
    database->setDefaultTransaction(transaction.get());
    if (create)
        database->createDatabase({QStringLiteral("User 'SYSDBA'"),
                                  QStringLiteral("password '") +
                                      QLatin1String(jobdb::AdminPassword) + QLatin1Char('\'')});
    else
        database->open();
}

TestDatabase::~TestDatabase() {
    try {
        if (database)
            database->close();
    } catch (const db::DatabaseError &) {
    }
    transaction.reset();
}

QString isql(const QString &path, const QString &commands) {
    QProcess p;
    p.start(QStringLiteral("isql-fb"),
            {QStringLiteral("-q"), QStringLiteral("-user"), QStringLiteral("SYSDBA"),
             QStringLiteral("-password"), QLatin1String(jobdb::AdminPassword),
             QStringLiteral("-ch"), QStringLiteral("UTF8"), QStringLiteral("127.0.0.1:") + path});
    p.write(commands.toUtf8() + "\n");
    p.closeWriteChannel();
    if (!p.waitForFinished(30000))
        p.kill();
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
}

void openKeyedTable(db::Database *database, const QString &createTable, const QStringList &inserts,
                    const QString &table, const QStringList &columns, db::Query &query,
                    db::UpdateSQL &update) {
    db::ExecSQL(database, createTable);
    database->defaultTransaction()->commitRetaining();
    for (const QString &insert : inserts)
        db::ExecSQL(database, insert);
    update = db::keyedUpdateSQL(table, columns);
    query.setDatabase(database);
    query.setSqlText("select * from " + table + " order by ID");
    query.setUpdateObject(&update);
    query.open();
}

} // namespace bkp::test
