#pragma once

#include "lib/ui.h"

#include <QList>
#include <QStatusBar>

class QLabel;

namespace bkp::widgets {

// A status bar of fixed-width panels (the last one takes what is left), written
// through the program's status routines.
class PanelStatusBar : public QStatusBar, public StatusBarPort {
    Q_OBJECT
public:
    explicit PanelStatusBar(const QList<int> &widths, QWidget *parent = nullptr);

    bool simplePanel() const override { return m_panels.isEmpty(); }
    int panelCount() const override { return int(m_panels.size()); }
    void setSimpleText(const QString &text) override;
    void setPanelText(int index, const QString &text) override;
    void repaintNow() override;

    QString panelText(int index) const;
    QLabel *panel(int index) const { return m_panels.value(index); }

private:
    QList<QLabel *> m_panels;
    QList<int> m_widths;
    QLabel *m_simple = nullptr;
};

} // namespace bkp::widgets
