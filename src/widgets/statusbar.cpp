#include "widgets/statusbar.h"

#include <QLabel>

namespace bkp::widgets {

PanelStatusBar::PanelStatusBar(const QList<int> &widths, QWidget *parent)
    : QStatusBar(parent), m_widths(widths) {
    setSizeGripEnabled(false);
    for (int i = 0; i < widths.size(); ++i) {
        auto *label = new QLabel(this);
        // Names and error texts are shown as they are, never read as markup.
        label->setTextFormat(Qt::PlainText);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        const bool last = i == widths.size() - 1;
        if (last)
            label->setMinimumWidth(widths[i]);
        else
            label->setFixedWidth(widths[i]);
        addWidget(label, last ? 1 : 0);
        m_panels.append(label);
    }
    if (m_panels.isEmpty()) {
        m_simple = new QLabel(this);
        m_simple->setTextFormat(Qt::PlainText);
        addWidget(m_simple, 1);
    }
}

void PanelStatusBar::setSimpleText(const QString &text) {
    if (m_simple)
        m_simple->setText(text);
}

void PanelStatusBar::setPanelText(int index, const QString &text) {
    if (index < 0 || index >= m_panels.size())
        return;
    QLabel *label = m_panels[index];
    label->setText(text);
    // A panel of set width grows while its text would be cut ("16000000 bytes
    // total" in this desktop's font) and goes back to its width after.
    if (index < m_panels.size() - 1) {
        const int needed = label->fontMetrics().horizontalAdvance(text) + 2 * label->frameWidth() +
                           2 * label->margin() + 6;
        const int width = qMax(m_widths[index], needed);
        if (label->width() != width || label->minimumWidth() != width)
            label->setFixedWidth(width);
    }
}

QString PanelStatusBar::panelText(int index) const {
    return index >= 0 && index < m_panels.size() ? m_panels[index]->text() : QString();
}

void PanelStatusBar::repaintNow() {
    // Long work runs on this thread: paint now instead of waiting for the loop.
    repaint();
}

} // namespace bkp::widgets
