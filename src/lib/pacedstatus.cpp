#include "lib/pacedstatus.h"

namespace bkp {

void PacedStatusBar::setPanelText(int index, const QString &text) {
    for (auto &p : m_pending)
        if (p.first == index) {
            p.second = text;
            return;
        }
    m_pending.append({index, text});
}

bool PacedStatusBar::flushWhenDue() {
    if (m_interval > 0 && m_sincePaint.isValid() && m_sincePaint.elapsed() < m_interval)
        return false;
    flush();
    return true;
}

void PacedStatusBar::flush() {
    if (!m_bar || m_pending.isEmpty())
        return;
    for (const auto &[panel, text] : std::as_const(m_pending)) {
        if (panel < 0)
            m_bar->setSimpleText(text);
        else
            m_bar->setPanelText(panel, text);
    }
    m_pending.clear();
    m_bar->repaintNow();
    m_sincePaint.start();
}

} // namespace bkp
