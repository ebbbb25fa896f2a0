// libFuzzer target: one listing line into the remote list's row builder and
// the space report's line parser. Only a ListingError may come out.
#include "ftp/listingline.h"

#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString line = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    const QDate today(2026, 1, 5);
    try {
        (void)bkp::ftp::ListingRowOf(line, today);
    } catch (const bkp::ftp::ListingError &) {
    }
    try {
        (void)bkp::ftp::ParseListingLine(line, today);
    } catch (const bkp::ftp::ListingError &) {
    }
    return 0;
}
