#include "widgets/toolbarbutton.h"

#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace bkp::widgets {

namespace {

// Room kept clear at the button's edges, so the raised frame does not touch the
// image or the underline of the caption.
constexpr int kEdge = 2;

} // namespace

ToolBarButton::ToolBarButton(QWidget *parent) : QToolButton(parent) {
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
}

QRect ToolBarButton::captionRect() const {
    const QFontMetrics metrics = fontMetrics();
    // The underline of a mnemonic lies below the baseline, within the descent.
    const int height = metrics.height() + 1;
    return QRect(kEdge, this->height() - kEdge - height, width() - 2 * kEdge, height);
}

int ToolBarButton::captionBaseline() const {
    return captionRect().top() + fontMetrics().ascent();
}

QRect ToolBarButton::imageRect() const {
    const QSize size = iconSize();
    const int room = captionRect().top() - kEdge;
    return QRect((width() - size.width()) / 2, kEdge + qMax(0, room - size.height()) / 2,
                 size.width(), qMin(size.height(), room));
}

void ToolBarButton::paintEvent(QPaintEvent *) {
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    // The style draws the frame and the menu mark; the image and caption are ours.
    option.text.clear();
    option.icon = QIcon();
    painter.drawComplexControl(QStyle::CC_ToolButton, option);

    const QIcon::Mode mode = !isEnabled()                                    ? QIcon::Disabled
                             : (option.state & QStyle::State_MouseOver) != 0 ? QIcon::Active
                                                                             : QIcon::Normal;
    icon().paint(&painter, imageRect(), Qt::AlignCenter, mode,
                 isChecked() ? QIcon::On : QIcon::Off);
    painter.drawItemText(captionRect(), Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic,
                         palette(), isEnabled(), text(), QPalette::ButtonText);
}

} // namespace bkp::widgets
