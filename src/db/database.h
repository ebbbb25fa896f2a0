#pragma once

#include "db/errors.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace Firebird {
class IAttachment;
class ITransaction;
} // namespace Firebird

namespace bkp::db {

class DataSet;
class Database;
class Statement;

// A transaction of one database. Parameters are the usual words: "read_committed",
// "rec_version", "nowait", "concurrency", "consistency", "wait", "read", "write".
class Transaction {
public:
    explicit Transaction(Database *database = nullptr);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void setDatabase(Database *database);
    Database *database() const { return m_database; }
    QStringList params() const { return m_params; }
    void setParams(const QStringList &params) { m_params = params; }

    bool inTransaction() const { return m_handle != nullptr; }
    void start();
    void startIfNeeded();
    // A full commit or rollback ends the transaction and closes its data sets.
    void commit();
    void rollback();
    // The retaining forms keep the transaction and its open data sets alive.
    void commitRetaining();
    void rollbackRetaining();

    Firebird::ITransaction *handle(); // starts the transaction when needed

    void attachDataSet(DataSet *dataSet);
    void detachDataSet(DataSet *dataSet);

private:
    friend class Database;
    void closeDataSets();
    void release();

    Database *m_database = nullptr;
    QStringList m_params;
    Firebird::ITransaction *m_handle = nullptr;
    QList<DataSet *> m_dataSets;
};

// A connection to one database file, by plain path (embedded engine) or by
// "host:path" (a server).
class Database : public QObject {
    Q_OBJECT
public:
    explicit Database(QObject *parent = nullptr);
    ~Database() override;

    QString databaseName() const { return m_name; }
    void setDatabaseName(const QString &name) { m_name = name; }
    // "user_name=..." and "password=..." lines, as the data module declares them.
    QStringList params() const { return m_params; }
    void setParams(const QStringList &params) { m_params = params; }
    // The character set texts travel in ("WIN1252" unless set; "UTF8" for any text),
    // chosen before the connection opens.
    QString characterSet() const { return m_charSet; }
    void setCharacterSet(const QString &charSet) { m_charSet = charSet; }
    // The characters of `text` the connection's character set cannot carry, each
    // once (none for UTF8); sent anyway they would be stored as '?'.
    QString uncarriedCharacters(const QString &text) const;
    int sqlDialect() const { return m_dialect; }
    void setSqlDialect(int dialect) { m_dialect = dialect; }

    Transaction *defaultTransaction() const { return m_defaultTransaction; }
    void setDefaultTransaction(Transaction *transaction);

    bool connected() const { return m_attachment != nullptr; }
    void open();  // throws DatabaseError
    void close(); // commits what is pending, closes every data set
    // Lets go of a connection that is lost: every data set and statement is closed
    // and the transactions and the connection are released, with no commit or
    // rollback sent to a server that can no longer hear it.
    void abandon();
    // How long an opening waits for the server, in seconds (0: the client library's
    // own default).
    int connectTimeout() const { return m_connectTimeout; }
    void setConnectTimeout(int seconds) { m_connectTimeout = seconds; }
    // Creates the database under its name; the parameter lines are of the form
    // "User 'SYSDBA'" and "password '...'".
    void createDatabase(const QStringList &createParams);

    Firebird::IAttachment *attachment() const { return m_attachment; }

    void attachTransaction(Transaction *transaction);
    void detachTransaction(Transaction *transaction);
    // The data sets and statements on this connection: closing it closes them, and
    // when it goes they are left without a connection, safe to use and to destroy.
    void attachDataSet(DataSet *dataSet);
    void detachDataSet(DataSet *dataSet);
    QList<DataSet *> dataSets() const { return m_dataSets; }
    void attachStatement(Statement *statement);
    void detachStatement(Statement *statement);

private:
    friend class Transaction;
    QString param(const QString &key) const;
    void closeOpenWork();

    QString m_name;
    QStringList m_params;
    int m_dialect = 3;
    int m_connectTimeout = 0;
    QString m_charSet = QStringLiteral("WIN1252");
    Transaction *m_defaultTransaction = nullptr;
    QList<Transaction *> m_transactions;
    QList<DataSet *> m_dataSets;
    QList<Statement *> m_statements;
    Firebird::IAttachment *m_attachment = nullptr;
};

// Ends the client library at program end: pending work is committed by the
// caller first; every connection is then closed by the library itself.
void shutdownClient();
bool clientShutDown();

} // namespace bkp::db
