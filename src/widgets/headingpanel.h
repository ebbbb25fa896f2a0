#pragma once

#include <QColor>
#include <QStyle>

class QLabel;
class QToolButton;
class QWidget;

namespace bkp::widgets {

// The colours of the program's heading bars: yellow text on dark teal (the
// desktop colour value 8421440, red 64, green 128, blue 128).
QColor headingBackground();
QColor headingText();

// A heading bar with its caption; `pixelSize` 0 keeps the font's own size. A caption
// with an elide mode leaves out what does not fit beside the bar's buttons.
QLabel *headingPanel(const QString &caption, QWidget *parent, bool bold, int pixelSize = 0,
                     Qt::TextElideMode elide = Qt::ElideNone);

// A flat button at the right end of a heading bar.
QToolButton *addHeadingButton(QLabel *panel, QStyle::StandardPixmap icon);

} // namespace bkp::widgets
