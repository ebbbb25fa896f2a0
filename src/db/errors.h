#pragma once

#include <QList>
#include <QString>
#include <stdexcept>

namespace bkp::db {

// A database failure, carrying the server's own message text.
class DatabaseError : public std::runtime_error {
public:
    explicit DatabaseError(const QString &message, QList<long> codes = {}, QString sqlState = {})
        : std::runtime_error(message.toStdString()), m_message(message), m_codes(std::move(codes)),
          m_sqlState(std::move(sqlState)) {}

    QString message() const { return m_message; }
    // The status vector's error codes, first one first (isc_network_error, isc_login, ...).
    const QList<long> &codes() const { return m_codes; }
    long code() const { return m_codes.isEmpty() ? 0 : m_codes.first(); }
    QString sqlState() const { return m_sqlState; }
    // No server answered at the address the name gives.
    bool isNetworkError() const;
    // The connection to the server broke (the server went away, the network dropped
    // it, the server shut it): nothing more can be done on it.
    bool isConnectionLost() const;

private:
    QString m_message;
    QList<long> m_codes;
    QString m_sqlState;
};

// A text longer than its column takes: the row is not stored, nothing is cut.
class ValueTooLongError : public DatabaseError {
public:
    ValueTooLongError(const QString &field, int limit, int length)
        : DatabaseError(QStringLiteral("O campo %1 aceita no máximo %2 caracteres (o valor "
                                       "informado tem %3). O registro não foi gravado.")
                            .arg(field)
                            .arg(limit)
                            .arg(length)),
          m_field(field), m_limit(limit) {}
    QString field() const { return m_field; }
    int limit() const { return m_limit; }

private:
    QString m_field;
    int m_limit;
};

// Raised by an event handler to stop the operation in progress without an error box,
// as the program's "Abort" always has.
class AbortError : public std::exception {
public:
    const char *what() const noexcept override { return "Operation aborted"; }
};

// The text the operator is shown for an error: a database error's own message, else
// the error's text.
inline QString ErrorText(const std::exception &error) {
    if (const auto *database = dynamic_cast<const DatabaseError *>(&error))
        return database->message();
    return QString::fromLocal8Bit(error.what());
}

} // namespace bkp::db
