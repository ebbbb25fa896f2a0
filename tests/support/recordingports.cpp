#include "support/recordingports.h"

namespace bkp {

void RecordingTray::setHint(const QString &hint) {
    m_hint = hint.left(127);
    m_hints.append(m_hint);
}

void RecordingTray::showBalloon(const QString &title, const QString &text, BalloonKind kind,
                                int timeoutMs) {
    m_balloons.append({title.left(63), text.left(255), kind, timeoutMs});
}

RecordingStatusBar::RecordingStatusBar(int panels) {
    for (int i = 0; i < panels; ++i)
        m_panels.append(QString());
}

void RecordingStatusBar::setSimpleText(const QString &text) {
    m_simpleText = text;
    m_writes.append({-1, text});
}

void RecordingStatusBar::setPanelText(int index, const QString &text) {
    if (index < 0 || index >= m_panels.size())
        return;
    m_panels[index] = text;
    m_writes.append({index, text});
}

QString RecordingStatusBar::panelText(int index) const {
    return index >= 0 && index < m_panels.size() ? m_panels.at(index) : QString();
}

void RecordingStatusBar::clearHistory() {
    m_writes.clear();
    m_repaints = 0;
}

} // namespace bkp
