#include "reports/reportprinter.h"

#include "reports/printing.h"
#include "widgets/qtdialogs.h"

#include <QFontDatabase>
#include <QHash>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace bkp::reports {

namespace {

// Sizes in points on the page.
constexpr double BodyPt = 8.5;
constexpr double MinBodyPt = 4.0;
constexpr double LinePt = 11.0;
constexpr double HeaderPt = 5 * LinePt + 14; // company, title, subtitle, columns, rule

QFont bodyFont() {
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setPointSizeF(BodyPt);
    return f;
}

struct Settings {
    QPrinter::OutputFormat format = QPrinter::PdfFormat;
    QString printerName;
    QString outputFile;
    QPageLayout layout{QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                       QPageLayout::Millimeter};
};

QHash<QString, Settings> &settingsByOwner() {
    static QHash<QString, Settings> settings;
    return settings;
}

} // namespace

QColor LineStyle::colour(const QString &name) {
    static const QHash<QString, QColor> named{{"clblack", QColor(0, 0, 0)},
                                              {"clmaroon", QColor(128, 0, 0)},
                                              {"clgreen", QColor(0, 128, 0)},
                                              {"clolive", QColor(128, 128, 0)},
                                              {"clnavy", QColor(0, 0, 128)},
                                              {"clpurple", QColor(128, 0, 128)},
                                              {"clteal", QColor(0, 128, 128)},
                                              {"clgray", QColor(128, 128, 128)},
                                              {"clsilver", QColor(192, 192, 192)},
                                              {"clred", QColor(255, 0, 0)},
                                              {"cllime", QColor(0, 255, 0)},
                                              {"clyellow", QColor(255, 255, 0)},
                                              {"clblue", QColor(0, 0, 255)},
                                              {"clfuchsia", QColor(255, 0, 255)},
                                              {"claqua", QColor(0, 255, 255)},
                                              {"clwhite", QColor(255, 255, 255)},
                                              {"clinfobk", QColor(255, 255, 225)},
                                              {"cl3dlight", QColor(227, 227, 227)},
                                              {"clbtnface", QColor(240, 240, 240)},
                                              {"clcream", QColor(255, 251, 240)},
                                              {"clmoneygreen", QColor(192, 220, 192)},
                                              {"clskyblue", QColor(166, 202, 240)}};
    const QString key = name.trimmed().toLower();
    if (named.contains(key))
        return named.value(key);
    if (key.startsWith('#'))
        return QColor(key);
    bool ok = false;
    const qlonglong bgr =
        key.startsWith("$") ? key.mid(1).toLongLong(&ok, 16) : key.toLongLong(&ok);
    if (ok && bgr >= 0 && bgr <= 0xFFFFFF)
        return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
    return QColor();
}

LineStyle LineStyle::parse(const QString &text) {
    LineStyle style;
    for (const QString &part : text.split(';', Qt::SkipEmptyParts)) {
        const QString name = part.section('=', 0, 0).trimmed().toLower();
        const QString value = part.section('=', 1).trimmed();
        const bool yes = value.compare("true", Qt::CaseInsensitive) == 0;
        if (name == "underline" || name == "font.underline")
            style.underline = yes;
        else if (name == "bold" || name == "font.bold")
            style.bold = yes;
        else if (name == "brush.color" || name == "color")
            style.brush = colour(value);
        else if (name == "font.color")
            style.font = colour(value);
    }
    return style;
}

ReportPrinter::ReportPrinter(QObject *parent)
    : QObject(parent), m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    useSettingsOf(QString());
}

ReportPrinter::~ReportPrinter() = default;

void ReportPrinter::useSettingsOf(const QString &owner) {
    const Settings s = settingsByOwner().value(owner);
    m_printer->setOutputFormat(s.format);
    if (s.format == QPrinter::NativeFormat && !s.printerName.isEmpty())
        m_printer->setPrinterName(s.printerName);
    m_printer->setOutputFileName(s.outputFile);
    m_printer->setPageLayout(s.layout);
}

bool ReportPrinter::SetupDialog(const QString &owner, QWidget *parent) {
    useSettingsOf(owner);
    QPrintDialog dialog(m_printer.get(), parent);
    widgets::UseDialogFrame(&dialog);
    dialog.setWindowTitle(QStringLiteral("Configurar impressão - ") + owner);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    Settings &s = settingsByOwner()[owner];
    s.format = m_printer->outputFormat();
    s.printerName = m_printer->printerName();
    s.outputFile = m_printer->outputFileName();
    s.layout = m_printer->pageLayout();
    return true;
}

void ReportPrinter::setHeader(const QString &company, const QString &title, const QString &subtitle,
                              const QString &columnHeader) {
    m_company = company;
    m_title = title;
    m_subtitle = subtitle;
    m_columnHeader = columnHeader;
}

int ReportPrinter::linesPerPage() const {
    const QRectF page = m_printer->pageLayout().paintRect(QPageLayout::Point);
    return qMax(1, int((page.height() - HeaderPt - LinePt) / LinePt));
}

// Lines are kept in order and cut into pages when asked, so a new page size in
// the setup lays out again what was added before it.
QList<ReportPrinter::Line> ReportPrinter::page(int number) const {
    const int per = linesPerPage();
    return m_lines.mid(qsizetype(number - 1) * per, per);
}

int ReportPrinter::pageCount() const {
    const int per = linesPerPage();
    return qMax(1, int((m_lines.size() + per - 1) / per));
}

int ReportPrinter::pageNumber() const {
    return int(m_lines.size() / linesPerPage()) + 1;
}

void ReportPrinter::addLine(const QString &text, const QString &style) {
    Line line;
    line.text = text;
    line.style = LineStyle::parse(style);
    m_lines.append(line);
}

void ReportPrinter::addDivider() {
    Line line;
    line.kind = Line::Divider;
    m_lines.append(line);
}

void ReportPrinter::clear() {
    m_lines.clear();
}

QStringList ReportPrinter::pageLines(int number) const {
    QStringList lines;
    for (const Line &l : page(number))
        lines.append(l.kind == Line::Divider ? QStringLiteral("----") : l.text);
    return lines;
}

void ReportPrinter::paint(QPagedPaintDevice &device) const {
    device.setPageLayout(m_printer->pageLayout());
    QPainter p(&device);
    if (!p.isActive())
        return;
    // Points on the page, whatever the device's resolution.
    const double scale = paintInPoints(p, device);
    const auto sized = [scale](const QFont &f, double pt) {
        return pagePointFont(f, pt, scale);
    };
    const QRectF area = m_printer->pageLayout().paintRectPoints();
    const double width = area.width();
    const QFont pageFont = p.font();
    QFont body = sized(bodyFont(), BodyPt);
    // Lines wider than the page are printed smaller, the same on every page, so no
    // column is cut off at the right edge.
    p.setFont(body);
    double widest = p.fontMetrics().horizontalAdvance(m_columnHeader);
    for (const Line &line : m_lines)
        widest = qMax(widest, double(p.fontMetrics().horizontalAdvance(line.text)));
    if (widest > width)
        body = sized(bodyFont(), qMax(MinBodyPt, BodyPt * width / widest));
    QFont bold = body;
    bold.setBold(true);
    QFont title = sized(pageFont, 13);
    title.setBold(true);
    const QFont plain = sized(pageFont, 9);

    const int pages = pageCount();
    for (int n = 0; n < pages; ++n) {
        if (n > 0)
            device.newPage();
        double y = 0;
        const auto text = [&](const QFont &font, const QString &s, Qt::Alignment align, double h) {
            p.setFont(font);
            p.drawText(QRectF(0, y, width, h), align | Qt::AlignVCenter, s);
        };
        text(plain, m_company, Qt::AlignLeft, LinePt);
        text(plain, QStringLiteral("Folha ") + QString::number(n + 1), Qt::AlignRight, LinePt);
        y += LinePt;
        text(title, m_title, Qt::AlignHCenter, LinePt + 6);
        y += LinePt + 6;
        text(plain, m_subtitle, Qt::AlignHCenter, LinePt);
        y += LinePt + 4;
        text(bold, m_columnHeader, Qt::AlignLeft, LinePt);
        y += LinePt + 2;
        p.drawLine(QPointF(0, y), QPointF(width, y));
        y += 4;
        for (const Line &line : page(n + 1)) {
            if (line.kind == Line::Divider) {
                p.drawLine(QPointF(0, y + LinePt / 2), QPointF(width, y + LinePt / 2));
                y += LinePt;
                continue;
            }
            if (line.style.brush.isValid())
                p.fillRect(QRectF(0, y, width, LinePt), line.style.brush);
            QFont f = line.style.bold ? bold : body;
            f.setUnderline(line.style.underline);
            p.setPen(line.style.font.isValid() ? line.style.font : QColor(Qt::black));
            text(f, line.text, Qt::AlignLeft, LinePt);
            p.setPen(Qt::black);
            y += LinePt;
        }
    }
}

bool ReportPrinter::printToPdf(const QString &path) const {
    return paintToPdf(path, [this](QPagedPaintDevice &device) { paint(device); });
}

void ReportPrinter::print() {
    paint(*m_printer);
}

void ReportPrinter::Preview(QWidget *parent) {
    QPrintPreviewDialog preview(m_printer.get(), parent);
    preview.setWindowTitle(m_title);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter *printer) { paint(*printer); });
    preview.exec();
}

} // namespace bkp::reports
