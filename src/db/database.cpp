#include "db/database.h"

#include "platform/ansi.h"

#include "db/dataset.h"
#include "db/fbclient.h"
#include "db/statement.h"
#include "platform/filesystem.h"
#include "platform/hostinfo.h"

#include <csignal>

using namespace Firebird;

namespace bkp::db {

// ---------------------------------------------------------------- Transaction

Transaction::Transaction(Database *database) {
    setDatabase(database);
}

Transaction::~Transaction() {
    closeDataSets();
    if (inTransaction()) {
        try {
            rollback();
        } catch (const DatabaseError &) {
            release();
        }
    }
    if (m_database) {
        // Statements prepared for this transaction cannot run without it.
        for (Statement *st : std::as_const(m_database->m_statements)) {
            if (st->m_transaction == this) {
                st->unprepare();
                st->m_transaction = nullptr;
            }
        }
        m_database->detachTransaction(this);
    }
    for (DataSet *ds : m_dataSets)
        ds->m_transaction = nullptr;
}

void Transaction::setDatabase(Database *database) {
    if (m_database == database)
        return;
    if (m_database)
        m_database->detachTransaction(this);
    m_database = database;
    if (m_database)
        m_database->attachTransaction(this);
}

void Transaction::start() {
    if (inTransaction())
        throw DatabaseError(QStringLiteral("A transação já está ativa"));
    if (!m_database || !m_database->connected())
        throw DatabaseError(QStringLiteral("Banco de dados não conectado"));
    m_handle = fb::call([&](ThrowStatusWrapper *s) {
        fb::Ref<IXpbBuilder> tpb(fb::util()->getXpbBuilder(s, IXpbBuilder::TPB, nullptr, 0));
        for (const QString &p : m_params) {
            QString w = p.trimmed().toLower();
            static const struct {
                const char *word;
                unsigned char tag;
            } words[] = {{"read_committed", isc_tpb_read_committed},
                         {"rec_version", isc_tpb_rec_version},
                         {"no_rec_version", isc_tpb_no_rec_version},
                         {"nowait", isc_tpb_nowait},
                         {"wait", isc_tpb_wait},
                         {"concurrency", isc_tpb_concurrency},
                         {"consistency", isc_tpb_consistency},
                         {"read", isc_tpb_read},
                         {"write", isc_tpb_write}};
            bool known = false;
            for (const auto &k : words) {
                if (w == QLatin1String(k.word)) {
                    tpb->insertTag(s, k.tag);
                    known = true;
                }
            }
            if (!known && !w.isEmpty())
                throw DatabaseError(
                    QStringLiteral("Parâmetro de transação desconhecido: %1").arg(p));
        }
        IAttachment *att = m_database->attachment();
        unsigned len = tpb->getBufferLength(s);
        const unsigned char *buf = tpb->getBuffer(s);
        return att->startTransaction(s, m_params.isEmpty() ? 0 : len,
                                     m_params.isEmpty() ? nullptr : buf);
    });
}

void Transaction::startIfNeeded() {
    if (!inTransaction())
        start();
}

ITransaction *Transaction::handle() {
    startIfNeeded();
    return m_handle;
}

void Transaction::commit() {
    if (!inTransaction())
        return;
    closeDataSets();
    fb::call([&](ThrowStatusWrapper *s) { m_handle->commit(s); });
    m_handle = nullptr;
}

void Transaction::rollback() {
    if (!inTransaction())
        return;
    closeDataSets();
    fb::call([&](ThrowStatusWrapper *s) { m_handle->rollback(s); });
    m_handle = nullptr;
}

void Transaction::commitRetaining() {
    if (!inTransaction())
        return;
    fb::call([&](ThrowStatusWrapper *s) { m_handle->commitRetaining(s); });
}

void Transaction::rollbackRetaining() {
    if (!inTransaction())
        return;
    fb::call([&](ThrowStatusWrapper *s) { m_handle->rollbackRetaining(s); });
}

void Transaction::release() {
    if (m_handle) {
        m_handle->release();
        m_handle = nullptr;
    }
}

void Transaction::attachDataSet(DataSet *dataSet) {
    if (!m_dataSets.contains(dataSet))
        m_dataSets.append(dataSet);
}

void Transaction::detachDataSet(DataSet *dataSet) {
    m_dataSets.removeAll(dataSet);
}

void Transaction::closeDataSets() {
    const QList<DataSet *> sets = m_dataSets;
    for (DataSet *ds : sets)
        ds->close();
}

// ------------------------------------------------------------------- Database

Database::Database(QObject *parent) : QObject(parent) {}

Database::~Database() {
    try {
        close();
    } catch (const DatabaseError &) {
    }
    for (Transaction *t : m_transactions)
        t->m_database = nullptr;
    // Data sets and statements may outlive the connection object.
    for (DataSet *ds : m_dataSets)
        ds->m_database = nullptr;
    for (Statement *st : m_statements)
        st->m_database = nullptr;
}

void Database::setDefaultTransaction(Transaction *transaction) {
    m_defaultTransaction = transaction;
    if (transaction)
        transaction->setDatabase(this);
}

QString Database::param(const QString &key) const {
    for (const QString &line : m_params) {
        int eq = int(line.indexOf(QLatin1Char('=')));
        if (eq > 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1);
    }
    return QString();
}

namespace {
// The client library puts in its own SIGINT and SIGTERM handlers at the first
// attach; they would end every connection behind the program's back and leave its
// own close waiting on the engine. The handlers the process had are put back.
class KeptSignalHandlers {
public:
    KeptSignalHandlers() {
        for (int i = 0; i < count; ++i)
            sigaction(handled[i], nullptr, &m_kept[i]);
    }
    ~KeptSignalHandlers() {
        for (int i = 0; i < count; ++i)
            sigaction(handled[i], &m_kept[i], nullptr);
    }
    KeptSignalHandlers(const KeptSignalHandlers &) = delete;
    KeptSignalHandlers &operator=(const KeptSignalHandlers &) = delete;

private:
    static constexpr int count = 3;
    static constexpr int handled[count] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction m_kept[count] = {};
};

// Attaches to or creates a database with the program's connection settings.
IAttachment *connectTo(bool create, const QString &name, const QString &user,
                       const QString &password, int dialect, const QString &charSet,
                       int connectTimeout = 0) {
    // The file name (accents and all) travels in UTF-8, as the client library expects
    // when told so; with that item every text of the block is UTF-8. Column text keeps
    // the connection's own character set.
    QByteArray n = name.toUtf8(), u = user.toUtf8(), p = password.toUtf8();
    QByteArray cs = charSet.toLatin1();
    KeptSignalHandlers handlers;
    return fb::call([&](ThrowStatusWrapper *s) {
        fb::Ref<IXpbBuilder> dpb(fb::util()->getXpbBuilder(s, IXpbBuilder::DPB, nullptr, 0));
        dpb->insertTag(s, isc_dpb_utf8_filename);
        if (!u.isEmpty())
            dpb->insertString(s, isc_dpb_user_name, u.constData());
        if (!p.isEmpty())
            dpb->insertString(s, isc_dpb_password, p.constData());
        dpb->insertInt(s, isc_dpb_sql_dialect, dialect);
        dpb->insertString(s, isc_dpb_lc_ctype, cs.constData());
        if (connectTimeout > 0)
            dpb->insertInt(s, isc_dpb_connect_timeout, connectTimeout);
        IProvider *prov = fb::master()->getDispatcher();
        fb::Ref<IProvider> release(prov);
        const unsigned len = dpb->getBufferLength(s);
        const unsigned char *buf = dpb->getBuffer(s);
        return create ? prov->createDatabase(s, n.constData(), len, buf)
                      : prov->attachDatabase(s, n.constData(), len, buf);
    });
}
} // namespace

namespace {
// The file on this computer that a database name stands for: a plain path, or a path
// served at this computer's own or loopback address; empty for another computer's.
QString localFileOf(const QString &name) {
    const int colon = int(name.indexOf(QLatin1Char(':')));
    if (colon <= 1)
        return name;
    const QString host = name.left(colon);
    if (host == platform::localIPAddress() || host == QLatin1String("localhost") ||
        host.startsWith(QLatin1String("127.")))
        return name.mid(colon + 1);
    return QString();
}
} // namespace

void Database::open() {
    if (connected())
        return;
    if (m_name.isEmpty())
        throw DatabaseError(QStringLiteral("Nome do banco de dados não informado"));
    m_attachment =
        connectTo(false, m_name, param(QStringLiteral("user_name")),
                  param(QStringLiteral("password")), m_dialect, m_charSet, m_connectTimeout);
}

void Database::createDatabase(const QStringList &createParams) {
    if (connected())
        close();
    // The lines read "User 'SYSDBA'" and "password '...'".
    auto value = [&](const QString &key) {
        for (const QString &line : createParams) {
            QString t = line.trimmed();
            if (t.startsWith(key, Qt::CaseInsensitive)) {
                QString v = t.mid(key.size()).trimmed();
                if (v.startsWith(QLatin1Char('=')))
                    v = v.mid(1).trimmed();
                if (v.size() >= 2 && v.startsWith(QLatin1Char('\'')) &&
                    v.endsWith(QLatin1Char('\'')))
                    v = v.mid(1, v.size() - 2);
                return v;
            }
        }
        return QString();
    };
    // A creation that fails part way (a full disk) may leave a file the engine cannot
    // open, and every later start would take it for the database: it goes again.
    const QString file = localFileOf(m_name);
    const bool existed = file.isEmpty() || platform::fs::fileExists(file);
    try {
        m_attachment = connectTo(true, m_name, value(QStringLiteral("user")),
                                 value(QStringLiteral("password")), m_dialect, m_charSet);
    } catch (const DatabaseError &) {
        if (!existed && platform::fs::fileExists(file))
            platform::fs::deleteFile(file);
        throw;
    }
}

namespace {
bool g_shutDown = false;
}

void shutdownClient() {
    if (g_shutDown)
        return;
    g_shutDown = true;
    fb_shutdown(10000, fb_shutrsn_app_stopped);
}

bool clientShutDown() {
    return g_shutDown;
}

QString Database::uncarriedCharacters(const QString &text) const {
    if (m_charSet.compare(QLatin1String("UTF8"), Qt::CaseInsensitive) == 0)
        return QString();
    return notInAnsi(text);
}

void Database::closeOpenWork() {
    const QList<DataSet *> sets = m_dataSets;
    for (DataSet *ds : sets)
        ds->close();
    for (Transaction *t : m_transactions)
        t->closeDataSets();
    // Statement handles belong to the attachment: they go before it.
    const QList<Statement *> statements = m_statements;
    for (Statement *st : statements)
        st->unprepare();
}

void Database::close() {
    if (!connected())
        return;
    closeOpenWork();
    if (g_shutDown) {
        // The library has already closed the connection and its transactions.
        for (Transaction *t : m_transactions) {
            t->closeDataSets();
            t->m_handle = nullptr;
        }
        m_attachment = nullptr;
        return;
    }
    // Pending work is committed, as the connection's users expect of a normal close.
    for (Transaction *t : m_transactions) {
        t->closeDataSets();
        if (t->inTransaction()) {
            try {
                t->commit();
            } catch (const DatabaseError &) {
                try {
                    t->rollback();
                } catch (const DatabaseError &) {
                    t->release();
                }
            }
        }
    }
    IAttachment *att = m_attachment;
    m_attachment = nullptr;
    try {
        fb::call([&](ThrowStatusWrapper *s) { att->detach(s); });
    } catch (const DatabaseError &) {
        att->release();
    }
}

void Database::abandon() {
    if (!connected())
        return;
    closeOpenWork();
    for (Transaction *t : m_transactions) {
        t->closeDataSets();
        t->release();
    }
    IAttachment *att = m_attachment;
    m_attachment = nullptr;
    att->release();
}

void Database::attachDataSet(DataSet *dataSet) {
    if (!m_dataSets.contains(dataSet))
        m_dataSets.append(dataSet);
}

void Database::detachDataSet(DataSet *dataSet) {
    m_dataSets.removeAll(dataSet);
}

void Database::attachStatement(Statement *statement) {
    if (!m_statements.contains(statement))
        m_statements.append(statement);
}

void Database::detachStatement(Statement *statement) {
    m_statements.removeAll(statement);
}

void Database::attachTransaction(Transaction *transaction) {
    if (!m_transactions.contains(transaction))
        m_transactions.append(transaction);
}

void Database::detachTransaction(Transaction *transaction) {
    m_transactions.removeAll(transaction);
    if (m_defaultTransaction == transaction)
        m_defaultTransaction = nullptr;
}

} // namespace bkp::db
