#pragma once

#include <QString>
#include <functional>

class QFont;
class QPagedPaintDevice;
class QPainter;
class QPaintDevice;
class QWidget;

namespace bkp::reports {

// Paints pages on a device: a printer, a PDF file, a preview.
using PagePainter = std::function<void(QPagedPaintDevice &)>;

// Lets `painter` draw in points on the page, whatever the device's resolution;
// returns the scale it set.
double paintInPoints(QPainter &painter, const QPaintDevice &device);
// `font` at `points` on the page under that scale: fonts are sized in the device's
// own points, which the scale would enlarge again.
QFont pagePointFont(QFont font, double points, double scale);

// Paints the pages into a PDF file; true when the file was written.
bool paintToPdf(const QString &path, const PagePainter &paint);
// The pages in a modal preview under `title`, from which the operator may print them.
void previewModal(QWidget *parent, const QString &title, const PagePainter &paint);

} // namespace bkp::reports
