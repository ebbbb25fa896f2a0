#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QString>

class QPagedPaintDevice;
class QWidget;

namespace bkp::db {
class DataSet;
}

namespace bkp::reports {

// One column of the visual report: the field it shows, its caption and its width
// in screen pixels (as a grid column's).
struct VisualColumn {
    QString fieldName;
    QString caption;
    int width = 64;
};

// A report drawn from a data set as a table: the header and title at the top of
// each page, a band of column captions in the report's colour, the records in
// rows (every other one in that colour too), the summary after the last record.
class VisualReport : public QObject {
    Q_OBJECT
public:
    explicit VisualReport(QObject *parent = nullptr);

    void setHeader(const QString &header) { m_header = header; }
    void setTitle(const QString &title) { m_title = title; }
    void setDataSet(db::DataSet *data) { m_data = data; }
    // A colour as Windows programs store it (0x00BBGGRR).
    void setColor(int bgr);
    QColor color() const { return m_color; }
    void setColumns(const QList<VisualColumn> &columns) { m_columns = columns; }
    // The summary's expression: a quoted text ('...') is shown without its quotes.
    void setSummary(const QString &expression);
    QString summaryText() const { return m_summary; }

    void paint(QPagedPaintDevice &device);
    bool printToPdf(const QString &path);
    void Preview(QWidget *parent = nullptr);

private:
    QString m_header, m_title, m_summary;
    db::DataSet *m_data = nullptr;
    QColor m_color{0xE8, 0xEE, 0xF7};
    QList<VisualColumn> m_columns;
};

} // namespace bkp::reports
