#include "reports/printing.h"

#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace bkp::reports {

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
