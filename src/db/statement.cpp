#include "db/statement.h"

#include "db/database.h"
#include "db/decimal.h"
#include "db/fbclient.h"
#include "platform/ansi.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cmath>
#include <cstring>

using namespace Firebird;

namespace bkp::db {

ParsedSql parseParams(const QString &sql) {
    ParsedSql out;
    const int n = int(sql.size());
    out.sql.reserve(n);
    int i = 0;
    auto isNameChar = [](QChar c) {
        return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
    };
    while (i < n) {
        QChar c = sql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // A quoted text or identifier runs to its closing quote; a doubled quote is
            // part of it.
            int j = i + 1;
            while (j < n) {
                if (sql.at(j) == c) {
                    if (j + 1 < n && sql.at(j + 1) == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out.sql += sql.mid(i, j - i + 1);
            i = j + 1;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql.at(i + 1) == QLatin1Char('-')) {
            int j = int(sql.indexOf(QLatin1Char('\n'), i));
            if (j < 0)
                j = n;
            out.sql += sql.mid(i, j - i);
            i = j;
        } else if (c == QLatin1Char('/') && i + 1 < n && sql.at(i + 1) == QLatin1Char('*')) {
            int j = int(sql.indexOf(QLatin1String("*/"), i + 2));
            j = j < 0 ? n : j + 2;
            out.sql += sql.mid(i, j - i);
            i = j;
        } else if (c == QLatin1Char(':') && i + 1 < n && sql.at(i + 1) == QLatin1Char('"')) {
            // A parameter named after a column that SQL writes in quotes: :"Old_my col".
            int j = i + 2;
            QString name;
            while (j < n) {
                if (sql.at(j) == QLatin1Char('"')) {
                    if (j + 1 < n && sql.at(j + 1) == QLatin1Char('"')) {
                        name += QLatin1Char('"');
                        j += 2;
                        continue;
                    }
                    break;
                }
                name += sql.at(j++);
            }
            out.names.append(name);
            out.sql += QLatin1Char('?');
            i = j + 1;
        } else if (c == QLatin1Char(':') && i + 1 < n && isNameChar(sql.at(i + 1))) {
            int j = i + 1;
            while (j < n && isNameChar(sql.at(j)))
                ++j;
            out.names.append(sql.mid(i + 1, j - i - 1));
            out.sql += QLatin1Char('?');
            i = j;
        } else {
            out.sql += c;
            ++i;
        }
    }
    return out;
}

namespace {

constexpr unsigned kOctets = 1; // character set of raw bytes

unsigned baseType(unsigned t) {
    return t & ~1u;
}

bool isStatementWithRows(unsigned type) {
    return type == isc_info_sql_stmt_select || type == isc_info_sql_stmt_select_for_upd;
}

// An integer column; with a scale it is an exact fixed-point number.
template <typename T> QVariant readInteger(const unsigned char *p, int scale) {
    T x;
    std::memcpy(&x, p, sizeof x);
    if (scale < 0)
        return QVariant::fromValue(Decimal{qint64(x), -scale});
    if constexpr (sizeof(T) == 8)
        return qlonglong(x);
    else
        return int(x);
}

} // namespace

struct Statement::Impl {
    fb::Ref<IStatement> stmt;
    fb::Ref<IMessageMetadata> inMeta;  // as the server describes the parameters
    fb::Ref<IMessageMetadata> outMeta; // as the server describes the result
    fb::Ref<IResultSet> cursor;
    QByteArray outBuffer;
    unsigned type = 0;
    bool utf8 = false; // the connection's character set: UTF8 or a single-byte one

    // Where each output column lies in the buffer, read once at prepare: asking the
    // metadata for every value of every row costs more than reading it.
    struct OutColumn {
        unsigned offset = 0, nullOffset = 0, type = 0, length = 0, charSet = 0;
        int scale = 0, subType = 0;
    };
    QVector<OutColumn> layout;

    QByteArray encode(const QString &text) const { return utf8 ? text.toUtf8() : toAnsi(text); }
    QString decode(const char *data, int length) const {
        return utf8 ? QString::fromUtf8(data, length) : fromAnsi(data, length);
    }

    // Parameters are handed to the server in the form of their values, so that the
    // server does the conversions (text into a date column and the like).
    fb::Ref<IMessageMetadata> inputFor(const QVector<QVariant> &params, QByteArray &buffer,
                                       IAttachment *att, ITransaction *tra) const;
    QVariant readColumn(unsigned index, const unsigned char *buf, IAttachment *att,
                        ITransaction *tra) const;
};

Statement::Statement(Database *database, Transaction *transaction)
    : d(std::make_unique<Impl>()), m_database(database), m_transaction(transaction) {
    if (m_database)
        m_database->attachStatement(this);
}

Statement::~Statement() {
    unprepare();
    if (m_database)
        m_database->detachStatement(this);
}

void Statement::prepare(const QString &sql) {
    unprepare();
    if (!m_database || !m_database->connected())
        throw DatabaseError(QStringLiteral("Banco de dados não conectado"));
    if (!m_transaction)
        throw DatabaseError(QStringLiteral("Comando sem transação"));
    ITransaction *tra = m_transaction->handle();
    registerDecimalType();
    d->utf8 = m_database->characterSet().compare(QLatin1String("UTF8"), Qt::CaseInsensitive) == 0;
    QByteArray text = d->encode(sql);
    IAttachment *att = m_database->attachment();
    int dialect = m_database->sqlDialect();
    d->stmt.reset(fb::call([&](ThrowStatusWrapper *s) {
        return att->prepare(s, tra, 0, text.constData(), unsigned(dialect),
                            IStatement::PREPARE_PREFETCH_METADATA);
    }));
    m_sql = sql;
    d->type = fb::call([&](ThrowStatusWrapper *s) { return d->stmt->getType(s); });
    d->inMeta.reset(fb::call([&](ThrowStatusWrapper *s) { return d->stmt->getInputMetadata(s); }));
    d->outMeta.reset(
        fb::call([&](ThrowStatusWrapper *s) { return d->stmt->getOutputMetadata(s); }));
    fb::call([&](ThrowStatusWrapper *s) {
        unsigned count = d->outMeta->getCount(s);
        for (unsigned i = 0; i < count; ++i) {
            ColumnDesc c;
            auto name = [&](const char *n) {
                return d->decode(n, int(std::strlen(n)));
            };
            c.name = name(d->outMeta->getAlias(s, i));
            c.field = name(d->outMeta->getField(s, i));
            c.relation = name(d->outMeta->getRelation(s, i));
            c.sqlType = baseType(d->outMeta->getType(s, i));
            c.subType = d->outMeta->getSubType(s, i);
            c.length = d->outMeta->getLength(s, i);
            c.scale = d->outMeta->getScale(s, i);
            c.charSet = d->outMeta->getCharSet(s, i);
            c.nullable = d->outMeta->isNullable(s, i);
            if (c.name.isEmpty())
                c.name = c.field;
            m_columns.append(c);
            d->layout.append({d->outMeta->getOffset(s, i), d->outMeta->getNullOffset(s, i),
                              c.sqlType, c.length, c.charSet, c.scale, c.subType});
        }
        d->outBuffer = QByteArray(int(d->outMeta->getMessageLength(s)), '\0');
    });
}

bool Statement::prepared() const {
    return bool(d->stmt);
}

void Statement::unprepare() {
    closeCursor();
    if (d->stmt) {
        // Freeing can fail when the connection is already gone; the handle is released anyway.
        try {
            fb::call([&](ThrowStatusWrapper *s) { d->stmt->free(s); });
            d->stmt.take();
        } catch (const DatabaseError &) {
            d->stmt.reset();
        }
    }
    d->inMeta.reset();
    d->outMeta.reset();
    m_columns.clear();
    d->layout.clear();
    m_singleton.clear();
    m_sql.clear();
}

int Statement::paramCount() const {
    if (!d->inMeta)
        return 0;
    return int(fb::call([&](ThrowStatusWrapper *s) { return d->inMeta->getCount(s); }));
}

bool Statement::returnsRows() const {
    return isStatementWithRows(d->type);
}

StatementKind Statement::kind() const {
    if (!d->stmt)
        return StatementKind::Unknown;
    switch (d->type) {
    case isc_info_sql_stmt_select:
        return StatementKind::Select;
    case isc_info_sql_stmt_select_for_upd:
        return StatementKind::SelectForUpdate;
    case isc_info_sql_stmt_insert:
        return StatementKind::Insert;
    case isc_info_sql_stmt_update:
        return StatementKind::Update;
    case isc_info_sql_stmt_delete:
        return StatementKind::Delete;
    case isc_info_sql_stmt_ddl:
        return StatementKind::DDL;
    case isc_info_sql_stmt_exec_procedure:
        return StatementKind::ExecProcedure;
    case isc_info_sql_stmt_get_segment:
    case isc_info_sql_stmt_put_segment:
        return StatementKind::Blob;
    case isc_info_sql_stmt_start_trans:
    case isc_info_sql_stmt_commit:
    case isc_info_sql_stmt_rollback:
    case isc_info_sql_stmt_savepoint:
        return StatementKind::Transaction;
    case isc_info_sql_stmt_set_generator:
        return StatementKind::SetGenerator;
    default:
        return StatementKind::Unknown;
    }
}

fb::Ref<IMessageMetadata> Statement::Impl::inputFor(const QVector<QVariant> &params,
                                                    QByteArray &buffer, IAttachment *att,
                                                    ITransaction *tra) const {
    return fb::call([&](ThrowStatusWrapper *s) {
        unsigned count = inMeta->getCount(s);
        if (unsigned(params.size()) < count)
            throw DatabaseError(QStringLiteral("O comando precisa de %1 parâmetros, %2 informados")
                                    .arg(count)
                                    .arg(params.size()));
        fb::Ref<IMetadataBuilder> builder(inMeta->getBuilder(s));
        QVector<QByteArray> texts(static_cast<qsizetype>(count));
        for (unsigned i = 0; i < count; ++i) {
            const QVariant &v = params[int(i)];
            unsigned described = baseType(inMeta->getType(s, i));
            if (v.isNull() || described == SQL_BLOB)
                continue;
            if (v.metaType() == QMetaType::fromType<Decimal>()) {
                builder->setType(s, i, SQL_INT64);
                builder->setLength(s, i, 8);
                builder->setScale(s, i, -v.value<Decimal>().scale);
                continue;
            }
            switch (v.typeId()) {
            case QMetaType::Bool:
                if (described == SQL_BOOLEAN)
                    break;
                [[fallthrough]];
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::Long:
            case QMetaType::LongLong:
            case QMetaType::ULongLong:
            case QMetaType::Short:
            case QMetaType::UShort:
                builder->setType(s, i, SQL_INT64);
                builder->setLength(s, i, 8);
                builder->setScale(s, i, 0);
                break;
            case QMetaType::Double:
            case QMetaType::Float:
                builder->setType(s, i, SQL_DOUBLE);
                builder->setLength(s, i, 8);
                builder->setScale(s, i, 0);
                break;
            case QMetaType::QDate:
                builder->setType(s, i, SQL_TYPE_DATE);
                builder->setLength(s, i, 4);
                break;
            case QMetaType::QTime:
                builder->setType(s, i, SQL_TYPE_TIME);
                builder->setLength(s, i, 4);
                break;
            case QMetaType::QDateTime:
                builder->setType(s, i, SQL_TIMESTAMP);
                builder->setLength(s, i, 8);
                break;
            case QMetaType::QByteArray:
                texts[int(i)] = v.toByteArray();
                builder->setType(s, i, SQL_VARYING);
                builder->setLength(s, i, unsigned(qMax<qsizetype>(1, texts[int(i)].size())));
                builder->setCharSet(s, i, kOctets);
                break;
            default:
                texts[int(i)] = encode(v.toString());
                builder->setType(s, i, SQL_VARYING);
                builder->setLength(s, i, unsigned(qMax<qsizetype>(1, texts[int(i)].size())));
                break;
            }
        }
        fb::Ref<IMessageMetadata> meta(builder->getMetadata(s));
        buffer = QByteArray(int(meta->getMessageLength(s)), '\0');
        auto *buf = reinterpret_cast<unsigned char *>(buffer.data());
        IUtil *u = fb::util();
        for (unsigned i = 0; i < count; ++i) {
            const QVariant &v = params[int(i)];
            auto *nullFlag = reinterpret_cast<short *>(buf + meta->getNullOffset(s, i));
            unsigned char *p = buf + meta->getOffset(s, i);
            if (v.isNull()) {
                *nullFlag = -1;
                continue;
            }
            *nullFlag = 0;
            switch (baseType(meta->getType(s, i))) {
            case SQL_VARYING: {
                const QByteArray &t = texts[int(i)];
                auto len = static_cast<unsigned short>(t.size());
                std::memcpy(p, &len, 2);
                std::memcpy(p + 2, t.constData(), size_t(t.size()));
                break;
            }
            case SQL_INT64: {
                qint64 x = v.metaType() == QMetaType::fromType<Decimal>() ? v.value<Decimal>().units
                           : v.typeId() == QMetaType::Bool                ? (v.toBool() ? 1 : 0)
                                                                          : v.toLongLong();
                std::memcpy(p, &x, 8);
                break;
            }
            case SQL_DOUBLE: {
                double x = v.toDouble();
                std::memcpy(p, &x, 8);
                break;
            }
            case SQL_BOOLEAN:
                *p = v.toBool() ? 1 : 0;
                break;
            case SQL_TYPE_DATE: {
                QDate dt = v.toDate();
                ISC_DATE x =
                    u->encodeDate(unsigned(dt.year()), unsigned(dt.month()), unsigned(dt.day()));
                std::memcpy(p, &x, 4);
                break;
            }
            case SQL_TYPE_TIME: {
                QTime t = v.toTime();
                ISC_TIME x = u->encodeTime(unsigned(t.hour()), unsigned(t.minute()),
                                           unsigned(t.second()), unsigned(t.msec() * 10));
                std::memcpy(p, &x, 4);
                break;
            }
            case SQL_TIMESTAMP: {
                QDateTime dt = v.toDateTime();
                ISC_TIMESTAMP x;
                x.timestamp_date =
                    u->encodeDate(unsigned(dt.date().year()), unsigned(dt.date().month()),
                                  unsigned(dt.date().day()));
                x.timestamp_time =
                    u->encodeTime(unsigned(dt.time().hour()), unsigned(dt.time().minute()),
                                  unsigned(dt.time().second()), unsigned(dt.time().msec() * 10));
                std::memcpy(p, &x, 8);
                break;
            }
            case SQL_BLOB: {
                QByteArray data =
                    v.typeId() == QMetaType::QByteArray ? v.toByteArray() : encode(v.toString());
                ISC_QUAD id;
                fb::Ref<IBlob> blob(att->createBlob(s, tra, &id, 0, nullptr));
                for (qsizetype off = 0; off < data.size(); off += 32768) {
                    qsizetype chunk = qMin<qsizetype>(32768, data.size() - off);
                    blob->putSegment(s, unsigned(chunk), data.constData() + off);
                }
                blob->close(s);
                blob.take();
                std::memcpy(p, &id, sizeof id);
                break;
            }
            default:
                throw DatabaseError(QStringLiteral("Tipo de parâmetro não suportado: %1")
                                        .arg(baseType(meta->getType(s, i))));
            }
        }
        return meta;
    });
}

QVariant Statement::Impl::readColumn(unsigned i, const unsigned char *buf, IAttachment *att,
                                     ITransaction *tra) const {
    const OutColumn &c = layout[int(i)];
    if (*reinterpret_cast<const short *>(buf + c.nullOffset))
        return QVariant();
    const unsigned char *p = buf + c.offset;
    switch (c.type) {
    case SQL_VARYING: {
        unsigned short len;
        std::memcpy(&len, p, 2);
        auto *data = reinterpret_cast<const char *>(p + 2);
        if (c.charSet == kOctets)
            return QByteArray(data, len);
        return decode(data, len);
    }
    case SQL_TEXT: {
        auto *data = reinterpret_cast<const char *>(p);
        if (c.charSet == kOctets)
            return QByteArray(data, int(c.length));
        return decode(data, int(c.length));
    }
    case SQL_SHORT:
        return readInteger<qint16>(p, c.scale);
    case SQL_LONG:
        return readInteger<qint32>(p, c.scale);
    case SQL_INT64:
        return readInteger<qint64>(p, c.scale);
    case SQL_FLOAT: {
        float x;
        std::memcpy(&x, p, 4);
        return double(x);
    }
    case SQL_DOUBLE:
    case SQL_D_FLOAT: {
        double x;
        std::memcpy(&x, p, 8);
        return x;
    }
    case SQL_BOOLEAN:
        return bool(*p);
    case SQL_TYPE_DATE: {
        ISC_DATE x;
        std::memcpy(&x, p, 4);
        unsigned y, m, dd;
        fb::util()->decodeDate(x, &y, &m, &dd);
        return QDate(int(y), int(m), int(dd));
    }
    case SQL_TYPE_TIME: {
        ISC_TIME x;
        std::memcpy(&x, p, 4);
        unsigned h, mi, sec, frac;
        fb::util()->decodeTime(x, &h, &mi, &sec, &frac);
        return QTime(int(h), int(mi), int(sec), int(frac / 10));
    }
    case SQL_TIMESTAMP: {
        ISC_TIMESTAMP x;
        std::memcpy(&x, p, 8);
        unsigned y, m, dd, h, mi, sec, frac;
        IUtil *u = fb::util();
        u->decodeDate(x.timestamp_date, &y, &m, &dd);
        u->decodeTime(x.timestamp_time, &h, &mi, &sec, &frac);
        return QDateTime(QDate(int(y), int(m), int(dd)),
                         QTime(int(h), int(mi), int(sec), int(frac / 10)));
    }
    case SQL_BLOB:
        return fb::call([&](ThrowStatusWrapper *s) -> QVariant {
            ISC_QUAD id;
            std::memcpy(&id, p, sizeof id);
            fb::Ref<IBlob> blob(att->openBlob(s, tra, &id, 0, nullptr));
            QByteArray data;
            char chunk[32768];
            for (;;) {
                unsigned got = 0;
                int rc = blob->getSegment(s, sizeof chunk, chunk, &got);
                if (rc == IStatus::RESULT_NO_DATA)
                    break;
                data.append(chunk, int(got));
            }
            blob->close(s);
            blob.take();
            if (c.subType == 1 && c.charSet != kOctets)
                return decode(data.constData(), int(data.size()));
            return data;
        });
    case SQL_ARRAY:
        // The array's id: the column has a value, which a grid shows as an array.
        return QByteArray(reinterpret_cast<const char *>(p), 8);
    default:
        return QVariant();
    }
}

qint64 Statement::execute(const QVector<QVariant> &params) {
    if (!prepared())
        throw DatabaseError(QStringLiteral("Comando não preparado"));
    closeCursor();
    ITransaction *tra = m_transaction->handle();
    IAttachment *att = m_database->attachment();
    QByteArray in;
    fb::Ref<IMessageMetadata> meta = d->inputFor(params, in, att, tra);
    if (returnsRows()) {
        // A select run as a command: the server runs it, nothing is fetched.
        open(params);
        closeCursor();
        return affectedRows();
    }
    m_singleton.clear();
    bool hasOutput = !m_columns.isEmpty();
    fb::call([&](ThrowStatusWrapper *s) {
        d->stmt->execute(s, tra, meta.get(), in.data(), hasOutput ? d->outMeta.get() : nullptr,
                         hasOutput ? d->outBuffer.data() : nullptr);
    });
    if (hasOutput) {
        auto *buf = reinterpret_cast<const unsigned char *>(d->outBuffer.constData());
        for (int i = 0; i < m_columns.size(); ++i)
            m_singleton.append(d->readColumn(unsigned(i), buf, att, tra));
    }
    return affectedRows();
}

void Statement::open(const QVector<QVariant> &params) {
    if (!prepared())
        throw DatabaseError(QStringLiteral("Comando não preparado"));
    closeCursor();
    ITransaction *tra = m_transaction->handle();
    QByteArray in;
    fb::Ref<IMessageMetadata> meta = d->inputFor(params, in, m_database->attachment(), tra);
    d->cursor.reset(fb::call([&](ThrowStatusWrapper *s) {
        return d->stmt->openCursor(s, tra, meta.get(), in.data(), d->outMeta.get(), 0);
    }));
}

bool Statement::fetch(QVector<QVariant> &row) {
    if (!d->cursor)
        return false;
    int rc = fb::call(
        [&](ThrowStatusWrapper *s) { return d->cursor->fetchNext(s, d->outBuffer.data()); });
    if (rc != IStatus::RESULT_OK)
        return false;
    ITransaction *tra = m_transaction->handle();
    auto *buf = reinterpret_cast<const unsigned char *>(d->outBuffer.constData());
    row.resize(m_columns.size());
    for (int i = 0; i < m_columns.size(); ++i)
        row[i] = d->readColumn(unsigned(i), buf, m_database->attachment(), tra);
    return true;
}

void Statement::closeCursor() {
    if (!d->cursor)
        return;
    try {
        fb::call([&](ThrowStatusWrapper *s) { d->cursor->close(s); });
        d->cursor.take();
    } catch (const DatabaseError &) {
        d->cursor.reset();
    }
}

qint64 Statement::affectedRows() const {
    if (!d->stmt)
        return -1;
    try {
        return qint64(
            fb::call([&](ThrowStatusWrapper *s) { return d->stmt->getAffectedRecords(s); }));
    } catch (const DatabaseError &) {
        return -1;
    }
}

QList<QVector<QVariant>> selectRows(Database *database, Transaction *transaction,
                                    const QString &sql, const QVector<QVariant> &params) {
    Statement st(database, transaction);
    st.prepare(sql);
    st.open(params);
    QList<QVector<QVariant>> rows;
    QVector<QVariant> row;
    while (st.fetch(row))
        rows.append(row);
    st.closeCursor();
    return rows;
}

} // namespace bkp::db
