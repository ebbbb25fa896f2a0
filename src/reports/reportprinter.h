#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>

class QPagedPaintDevice;
class QPrinter;
class QWidget;

namespace bkp::reports {

// How a listing names the look of a line: "Underline=True", "Bold=True",
// "Brush.Color=clInfoBk" (a background), "Font.Color=clNavy", several joined by ";".
// Colours are the usual Windows names (clInfoBk, cl3DLight, clNavy, ...), "#RRGGBB"
// or a number (0x00BBGGRR, as stored by Windows programs).
struct LineStyle {
    bool underline = false;
    bool bold = false;
    QColor brush; // invalid: no background
    QColor font;  // invalid: black

    static LineStyle parse(const QString &text);
    static QColor colour(const QString &name); // invalid when not a colour
};

// A listing laid out in pages while its lines are added, so a progress text can
// name the page being filled: every page starts with the header (company, title,
// subtitle, the column header line); record lines are in a fixed-pitch font so
// their columns stay aligned. It prints to the chosen printer or PDF file and
// shows a modal preview.
class ReportPrinter : public QObject {
    Q_OBJECT
public:
    explicit ReportPrinter(QObject *parent = nullptr);
    ~ReportPrinter() override;

    // The print setup for the window named `owner` (its output, PDF file, page size
    // and orientation), remembered per owner while the program runs. False when the
    // operator cancels.
    bool SetupDialog(const QString &owner, QWidget *parent = nullptr);
    // The settings `owner` chose last (or the defaults) without asking (tests, a
    // second listing).
    void useSettingsOf(const QString &owner);

    void setHeader(const QString &company, const QString &title, const QString &subtitle,
                   const QString &columnHeader);
    void addLine(const QString &text, const QString &style = QString());
    void addDivider();
    void clear();

    // The page (from 1) that the next line goes to.
    int pageNumber() const;
    int pageCount() const;
    // The lines of a page (from 1) as laid out, for the listings' own checks.
    QStringList pageLines(int page) const;

    // Paints every page on `device`.
    void paint(QPagedPaintDevice &device) const;
    bool printToPdf(const QString &path) const;
    // Sends the pages to the output chosen in the setup.
    void print();
    // The pages in a modal preview, from which the operator may print them.
    void Preview(QWidget *parent = nullptr);

    QPrinter &printer() { return *m_printer; }

private:
    struct Line {
        enum Kind { Text, Divider } kind = Text;
        QString text;
        LineStyle style;
    };
    int linesPerPage() const;
    QList<Line> page(int number) const; // from 1

    std::unique_ptr<QPrinter> m_printer;
    QString m_company, m_title, m_subtitle, m_columnHeader;
    QList<Line> m_lines;
};

} // namespace bkp::reports
