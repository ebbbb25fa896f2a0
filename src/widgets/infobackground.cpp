#include "widgets/infobackground.h"

#include <QPalette>
#include <QWidget>

namespace bkp::widgets {

void setInfoBackground(QWidget *widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::ToolTipBase));
    palette.setColor(QPalette::Text, palette.color(QPalette::ToolTipText));
    widget->setPalette(palette);
}

} // namespace bkp::widgets
