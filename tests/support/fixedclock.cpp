#include "support/fixedclock.h"

namespace bkp::platform {

void RecordingSleeper::sleep(int milliseconds) {
    ++m_calls;
    if (milliseconds <= 0)
        return;
    m_total += milliseconds;
    if (m_clock)
        m_clock->advanceMs(milliseconds);
}

} // namespace bkp::platform
