#include "widgets/headingpanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace bkp::widgets {

QColor headingBackground() {
    return QColor(64, 128, 128);
}

QColor headingText() {
    return QColor(Qt::yellow);
}

QLabel *headingPanel(const QString &caption, QWidget *parent, bool bold, int pixelSize) {
    auto *label = new QLabel(caption, parent);
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
