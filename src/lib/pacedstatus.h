#pragma once

#include "lib/ui.h"

#include <QElapsedTimer>
#include <QList>
#include <utility>

namespace bkp {

// A status bar that hands its texts on at most once an interval (a screen frame):
// a long loop that reports every step would otherwise spend its time painting
// texts nobody can read. Texts wait here until flushWhenDue() finds the interval
// over or flush() is called; the last text of each panel is the one shown.
class PacedStatusBar : public StatusBarPort {
public:
    PacedStatusBar(StatusBarPort *bar, int intervalMs) : m_bar(bar), m_interval(intervalMs) {}

    void setInterval(int ms) { m_interval = ms; }
    int interval() const { return m_interval; }

    bool simplePanel() const override { return m_bar && m_bar->simplePanel(); }
    int panelCount() const override { return m_bar ? m_bar->panelCount() : 0; }
    void setSimpleText(const QString &text) override { setPanelText(-1, text); }
    void setPanelText(int index, const QString &text) override;
    void repaintNow() override {} // left to flushWhenDue()

    // Hands over and paints once the interval has passed; true when it did.
    bool flushWhenDue();
    // Hands over what is pending and paints now.
    void flush();

private:
    StatusBarPort *m_bar;
    int m_interval;
    QList<std::pair<int, QString>> m_pending; // panel (-1 simple text), text
    QElapsedTimer m_sincePaint;
};

} // namespace bkp
