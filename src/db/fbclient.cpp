#include "db/fbclient.h"

#include "platform/ansi.h"

#include <QByteArray>
#include <QStringDecoder>

namespace bkp::db {

bool DatabaseError::isNetworkError() const {
    return !m_codes.isEmpty() && m_codes.first() == isc_network_error;
}

bool DatabaseError::isConnectionLost() const {
    for (const long code : m_codes)
        if (code == isc_network_error || code == isc_net_read_err || code == isc_net_write_err ||
            code == isc_lost_db_connection || code == isc_att_shutdown)
            return true;
    return false;
}

namespace fb {

namespace {
// The client library ends every connection by itself on SIGTERM and SIGINT,
// racing the program's own orderly close; the program decides when it ends.
int refuseSignalShutdown(const int reason, const int, void *) {
    return reason == fb_shutrsn_signal ? 1 : 0; // non-zero refuses
}
} // namespace

Firebird::IMaster *master() {
    static Firebird::IMaster *m = [] {
        Firebird::IMaster *mm = Firebird::fb_get_master_interface();
        ISC_STATUS_ARRAY status;
        fb_shutdown_callback(status, refuseSignalShutdown, fb_shut_confirmation, nullptr);
        return mm;
    }();
    return m;
}

Firebird::IUtil *util() {
    return master()->getUtilInterface();
}

DatabaseError toError(Firebird::IStatus *status) {
    char buffer[4096];
    unsigned length = util()->formatStatus(buffer, sizeof buffer, status);
    // File names in the text come back in UTF-8, as they were sent; other texts are
    // the connection's single-byte code page.
    const QByteArray bytes(buffer, static_cast<int>(qMin<unsigned>(length, sizeof buffer)));
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError())
        text = fromAnsi(bytes);
    while (text.endsWith(QLatin1Char('\n')))
        text.chop(1);

    QList<long> codes;
    const intptr_t *v = status->getErrors();
    while (v && *v != isc_arg_end) {
        intptr_t kind = *v++;
        intptr_t value = *v++;
        if (kind == isc_arg_gds)
            codes.append(static_cast<long>(value));
        else if (kind == isc_arg_cstring)
            ++v; // a counted string takes two words
    }
    char state[FB_SQLSTATE_SIZE] = {0};
    fb_sqlstate(state, status->getErrors());
    return DatabaseError(text, codes, QString::fromLatin1(state));
}

} // namespace fb
} // namespace bkp::db
