#include "reports/visualreport.h"

#include "db/dataset.h"
#include "db/field.h"
#include "lib/strings.h"
#include "reports/printing.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

namespace bkp::reports {

namespace {
constexpr double RowPt = 12.0;
constexpr double BodyPt = 8.5;
constexpr double MinBodyPt = 4.0;
// Grid widths are screen pixels; on paper they keep their size at 96 pixels an inch.
constexpr double PointsPerPixel = 72.0 / 96.0;
} // namespace

VisualReport::VisualReport(QObject *parent) : QObject(parent) {}

void VisualReport::setColor(int bgr) {
    m_color = QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

void VisualReport::setSummary(const QString &expression) {
    QString s = expression.trimmed();
    if (s.size() >= 2 && s.startsWith(QLatin1Char('\'')) && s.endsWith(QLatin1Char('\'')))
        s = s.mid(1, s.size() - 2).replace(QLatin1String("''"), QLatin1String("'"));
    m_summary = s;
}

void VisualReport::paint(QPagedPaintDevice &device) {
    QPainter p(&device);
    if (!p.isActive())
        return;
    const double scale = paintInPoints(p, device);
    const auto sized = [scale](QFont f, double pt, bool bold = false) {
        f.setBold(bold);
        return pagePointFont(f, pt, scale);
    };
    const QRectF area = device.pageLayout().paintRectPoints();
    const double width = area.width(), height = area.height();
    // Columns wider together than the page are drawn smaller, text included, so
    // none is cut off at the right edge.
    double columnsWidth = 0;
    for (const VisualColumn &c : std::as_const(m_columns))
        columnsWidth += c.width * PointsPerPixel;
    const double shrink = columnsWidth > width ? width / columnsWidth : 1.0;
    const double pointsPerPixel = PointsPerPixel * shrink;
    const double bodyPt = qMax(MinBodyPt, BodyPt * shrink);
    const QFont plain = sized(p.font(), bodyPt), bold = sized(p.font(), bodyPt, true),
                title = sized(p.font(), 14, true);

    int page = 0;
    double y = 0;
    const auto startPage = [&] {
        if (page++ > 0)
            device.newPage();
        p.setFont(plain);
        p.drawText(QRectF(0, 0, width, RowPt), Qt::AlignLeft | Qt::AlignVCenter, m_header);
        p.drawText(QRectF(0, 0, width, RowPt), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("Página ") + QString::number(page));
        p.setFont(title);
        p.drawText(QRectF(0, RowPt, width, 2 * RowPt), Qt::AlignHCenter | Qt::AlignVCenter,
                   m_title);
        y = 3.5 * RowPt;
        p.fillRect(QRectF(0, y, width, RowPt), m_color);
        p.setFont(bold);
        double x = 0;
        for (const VisualColumn &c : std::as_const(m_columns)) {
            const double w = c.width * pointsPerPixel;
            // A number's caption stands over its digits.
            const db::Field *f = m_data ? m_data->findField(c.fieldName) : nullptr;
            p.drawText(QRectF(x + 2, y, w - 4, RowPt),
                       (f && f->isNumeric() ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                       c.caption);
            x += w;
        }
        y += RowPt + 2;
        p.setFont(plain);
    };
    startPage();
    // The records are walked through; the current one is current again afterwards.
    const int current = m_data && m_data->active() ? m_data->recNo() : 0;
    if (m_data && m_data->active()) {
        const db::ControlsDisabled quiet(*m_data);
        m_data->first();
        for (int row = 1; !m_data->eof(); ++row, m_data->next()) {
            if (y + RowPt > height - 2 * RowPt)
                startPage();
            if (row % 2 == 0)
                p.fillRect(QRectF(0, y, width, RowPt), m_color);
            double x = 0;
            for (const VisualColumn &c : std::as_const(m_columns)) {
                const double w = c.width * pointsPerPixel;
                const db::Field *f = m_data->findField(c.fieldName);
                const QString text = f ? OneLine(f->displayText()) : QString();
                const Qt::Alignment align =
                    (f && f->isNumeric() ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
                p.drawText(QRectF(x + 2, y, w - 4, RowPt), align,
                           p.fontMetrics().elidedText(text, Qt::ElideRight, int(w - 4)));
                x += w;
            }
            y += RowPt;
        }
        if (current > 0)
            m_data->setRecNo(current);
    }
    if (y + 2 * RowPt > height)
        startPage();
    p.drawLine(QPointF(0, y + 2), QPointF(width, y + 2));
    p.setFont(bold);
    p.drawText(QRectF(0, y + 4, width, RowPt), Qt::AlignLeft | Qt::AlignVCenter, m_summary);
}

bool VisualReport::printToPdf(const QString &path) {
    return paintToPdf(path, [this](QPagedPaintDevice &device) { paint(device); });
}

void VisualReport::Preview(QWidget *parent) {
    previewModal(parent, m_title, [this](QPagedPaintDevice &device) { paint(device); });
}

} // namespace bkp::reports
