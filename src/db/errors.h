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

private:
    QString m_message;
    QList<long> m_codes;
    QString m_sqlState;
};

// Raised by an event handler to stop the operation in progress without an error box,
// as the program's "Abort" always has.
class AbortError : public std::exception {
public:
    const char *what() const noexcept override { return "Operation aborted"; }
};

} // namespace bkp::db
