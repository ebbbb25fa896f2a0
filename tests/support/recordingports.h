#pragma once

#include "lib/ports.h"
#include "lib/ui.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace bkp {

// Keep what the routines showed in memory, with the history of every write.
class RecordingTray : public TrayPort {
public:
    struct Balloon {
        QString title;
        QString text;
        BalloonKind kind;
        int timeoutMs;
    };

    QString hint() const override { return m_hint; }
    void setHint(const QString &hint) override;
    void showBalloon(const QString &title, const QString &text, BalloonKind kind,
                     int timeoutMs) override;

    const QList<QString> &hints() const { return m_hints; }
    const QList<Balloon> &balloons() const { return m_balloons; }

private:
    QString m_hint;
    QList<QString> m_hints;
    QList<Balloon> m_balloons;
};

class RecordingTimer : public TimerPort {
public:
    explicit RecordingTimer(bool enabled = true) : m_enabled(enabled) {}
    bool enabled() const override { return m_enabled; }
    void setEnabled(bool enabled) override {
        m_enabled = enabled;
        m_history.append(enabled);
    }
    const QList<bool> &history() const { return m_history; }

private:
    bool m_enabled;
    QList<bool> m_history;
};

// Keeps the texts in memory and the history of every write.
class RecordingStatusBar : public StatusBarPort {
public:
    struct Write {
        int panel; // -1 for the simple text
        QString text;
    };

    explicit RecordingStatusBar(int panels = 4);

    bool simplePanel() const override { return m_simple; }
    int panelCount() const override { return int(m_panels.size()); }
    void setSimpleText(const QString &text) override;
    void setPanelText(int index, const QString &text) override;
    void repaintNow() override { ++m_repaints; }

    void setSimplePanel(bool simple) { m_simple = simple; }
    QString simpleText() const { return m_simpleText; }
    QString panelText(int index) const; // empty for an index the bar does not have
    const QList<Write> &writes() const { return m_writes; }
    int repaints() const { return m_repaints; }
    void clearHistory();

private:
    bool m_simple = false;
    QString m_simpleText;
    QStringList m_panels;
    QList<Write> m_writes;
    int m_repaints = 0;
};

} // namespace bkp
