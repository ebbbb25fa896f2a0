#include "reports/labelprinter.h"

#include "db/dataset.h"
#include "db/field.h"
#include "lib/strings.h"
#include "reports/printing.h"
#include "reports/reportprinter.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>

namespace bkp::reports {

LabelFont LabelFont::parse(const QString &text, const LabelFont &base) {
    LabelFont f = base;
    for (const QString &part : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString name = part.section(QLatin1Char('='), 0, 0).trimmed().toLower();
        const QString value = part.section(QLatin1Char('='), 1).trimmed();
        if (name == QLatin1String("name") && !value.isEmpty())
            f.font.setFamily(value);
        else if (name == QLatin1String("size") && value.toDouble() > 0)
            f.font.setPointSizeF(value.toDouble());
        else if (name == QLatin1String("color")) {
            const QColor c = LineStyle::colour(value);
            if (c.isValid())
                f.color = c;
        } else if (name == QLatin1String("bold"))
            f.font.setBold(true);
        else if (name == QLatin1String("italic"))
            f.font.setItalic(true);
        else if (name == QLatin1String("underline"))
            f.font.setUnderline(true);
    }
    return f;
}

LabelLayout LabelLayout::fromStatement(const QString &statement) {
    LabelLayout layout;
    layout.font.font.setPointSizeF(10);
    QHash<QString, QString> values; // the first line of each name
    for (QString line : statement.split(QRegularExpression(QStringLiteral("[\r\n]")))) {
        line = line.trimmed();
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0 || !line.startsWith(QLatin1String("Label."), Qt::CaseInsensitive))
            continue;
        const QString name = line.left(eq).trimmed().toUpper();
        if (!values.contains(name))
            values.insert(name, line.mid(eq + 1).trimmed());
    }
    const auto number = [&values](const char *name, double fallback) {
        bool ok = false;
        const double v = values.value(QLatin1String(name)).toDouble(&ok);
        return ok && v >= 0 ? v : fallback;
    };
    layout.height = qMax(1.0, number("LABEL.HEIGHT", layout.height));
    layout.columns = qBound(1, int(number("LABEL.COLUMNS", layout.columns)), 20);
    layout.top = number("LABEL.TOP", layout.top);
    layout.left = number("LABEL.LEFT", layout.left);
    layout.font = LabelFont::parse(values.value(QStringLiteral("LABEL.FONT")), layout.font);
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const QStringList parts = it.key().split(QLatin1Char('.'));
        if (parts.size() == 3 && parts[2] == QLatin1String("FONT"))
            layout.fieldFonts.insert(parts[1], LabelFont::parse(it.value(), layout.font));
    }
    return layout;
}

LabelFont LabelLayout::fontOf(const QString &fieldName) const {
    return fieldFonts.value(fieldName.toUpper(), font);
}

LabelPrinter::LabelPrinter(db::DataSet *data, const QString &statement, QObject *parent)
    : QObject(parent), m_data(data), m_layout(LabelLayout::fromStatement(statement)) {}

void LabelPrinter::paint(QPagedPaintDevice &device) {
    QPainter p(&device);
    if (!p.isActive() || !m_data || !m_data->active())
        return;
    const double scale = paintInPoints(p, device);
    const QRectF page = device.pageLayout().fullRectPoints();
    const double width = (page.width() - m_layout.left) / m_layout.columns;
    // The page's own margins do not apply: the directives place the labels.
    p.translate(-device.pageLayout().paintRectPoints().left(),
                -device.pageLayout().paintRectPoints().top());

    const db::ControlsDisabled quiet(*m_data);
    const int current = m_data->recNo();
    int slot = 0;
    const int rows = qMax(1, int((page.height() - m_layout.top) / m_layout.height));
    m_data->first();
    for (; !m_data->eof(); m_data->next(), ++slot) {
        if (slot == rows * m_layout.columns) {
            device.newPage();
            slot = 0;
        }
        const double x = m_layout.left + (slot % m_layout.columns) * width;
        double y = m_layout.top + (slot / m_layout.columns) * m_layout.height;
        const double bottom = y + m_layout.height;
        for (int i = 0; i < m_data->fieldCount(); ++i) {
            const db::Field *f = m_data->field(i);
            const LabelFont lf = m_layout.fontOf(f->fieldName());
            p.setFont(pagePointFont(lf.font, lf.font.pointSizeF(), scale));
            p.setPen(lf.color);
            const double h = QFontMetricsF(lf.font).height();
            if (y + h > bottom)
                break;
            p.drawText(QRectF(x, y, width - 4, h), Qt::AlignLeft | Qt::AlignVCenter,
                       p.fontMetrics().elidedText(OneLine(f->displayText()), Qt::ElideRight,
                                                  int(width - 4)));
            y += h;
        }
    }
    if (current > 0)
        m_data->setRecNo(current);
}

bool LabelPrinter::printToPdf(const QString &path) {
    return paintToPdf(path, [this](QPagedPaintDevice &device) { paint(device); });
}

void LabelPrinter::Preview(QWidget *parent) {
    previewModal(parent, QStringLiteral("Etiquetas (medidas em pontos de 1/72 polegada)"),
                 [this](QPagedPaintDevice &device) { paint(device); });
}

} // namespace bkp::reports
