#pragma once

#include <QString>
#include <functional>

class QPagedPaintDevice;
class QWidget;

namespace bkp::reports {

// Paints pages on a device: a printer, a PDF file, a preview.
using PagePainter = std::function<void(QPagedPaintDevice &)>;

// Paints the pages into a PDF file; true when the file was written.
bool paintToPdf(const QString &path, const PagePainter &paint);
// The pages in a modal preview under `title`, from which the operator may print them.
void previewModal(QWidget *parent, const QString &title, const PagePainter &paint);

} // namespace bkp::reports
