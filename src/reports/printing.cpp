#include "reports/printing.h"

#include <QFileInfo>
#include <QFont>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace bkp::reports {

double paintInPoints(QPainter &painter, const QPaintDevice &device) {
    const double scale = device.logicalDpiX() / 72.0;
    painter.scale(scale, scale);
    return scale;
}

QFont pagePointFont(QFont font, double points, double scale) {
    font.setPointSizeF(points / scale);
    return font;
}

bool paintToPdf(const QString &path, const PagePainter &paint) {
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(path);
    paint(pdf);
    return QFileInfo::exists(path);
}

void previewModal(QWidget *parent, const QString &title, const PagePainter &paint) {
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(title);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&paint](QPrinter *target) { paint(*target); });
    preview.exec();
}

} // namespace bkp::reports
