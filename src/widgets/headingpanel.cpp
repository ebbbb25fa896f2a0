#include "widgets/headingpanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>

namespace bkp::widgets {

namespace {

// A caption that gives way to the buttons at its right end: what does not fit is
// left out with "...", and its text stays whole.
class ElidedCaption : public QLabel {
public:
    ElidedCaption(const QString &caption, QWidget *parent, Qt::TextElideMode mode)
        : QLabel(caption, parent), m_mode(mode) {}

    QSize minimumSizeHint() const override { return QSize(0, QLabel::minimumSizeHint().height()); }
    QSize sizeHint() const override { return QSize(0, QLabel::sizeHint().height()); }

protected:
    void paintEvent(QPaintEvent *) override {
        QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
        for (const QObject *child : children()) {
            const auto *w = qobject_cast<const QWidget *>(child);
            if (w && w->isVisible())
                area.setRight(qMin(area.right(), w->geometry().left() - 4));
        }
        if (area.width() <= 0)
            return;
        QPainter p(this);
        p.setPen(palette().color(QPalette::WindowText));
        p.setFont(font());
        p.drawText(area, int(alignment()), fontMetrics().elidedText(text(), m_mode, area.width()));
    }

private:
    Qt::TextElideMode m_mode;
};

} // namespace

QColor headingBackground() {
    return QColor(64, 128, 128);
}

QColor headingText() {
    return QColor(Qt::yellow);
}

QLabel *headingPanel(const QString &caption, QWidget *parent, bool bold, int pixelSize,
                     Qt::TextElideMode elide) {
    QLabel *label = elide == Qt::ElideNone ? new QLabel(caption, parent)
                                           : new ElidedCaption(caption, parent, elide);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, headingBackground());
    palette.setColor(QPalette::WindowText, headingText());
    label->setPalette(palette);
    QFont font = label->font();
    font.setBold(bold);
    if (pixelSize > 0)
        font.setPixelSize(pixelSize);
    label->setFont(font);
    label->setMargin(3);
    return label;
}

QToolButton *addHeadingButton(QLabel *panel, QStyle::StandardPixmap icon) {
    auto *bar = new QHBoxLayout(panel);
    bar->setContentsMargins(0, 0, 4, 0);
    bar->addStretch(1);
    auto *button = new QToolButton(panel);
    button->setAutoRaise(true);
    button->setIcon(panel->style()->standardIcon(icon));
    bar->addWidget(button);
    return button;
}

} // namespace bkp::widgets
