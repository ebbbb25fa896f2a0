#include "lib/ports.h"

namespace bkp {

TrayPort::~TrayPort() = default;
TimerPort::~TimerPort() = default;

int Inc_Range(int &counter, int limit) {
    ++counter;
    if (counter > limit)
        counter = 0;
    return counter;
}

} // namespace bkp
