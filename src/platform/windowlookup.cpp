#include "platform/windowlookup.h"

namespace bkp::platform {

namespace {
WindowLookup &lookup() {
    static WindowLookup l;
    return l;
}
} // namespace

bool FindWindow(const QString &windowClass) {
    return lookup() ? lookup()(windowClass) : false;
}

void setWindowLookup(WindowLookup l) {
    lookup() = std::move(l);
}

} // namespace bkp::platform
