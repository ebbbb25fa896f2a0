#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QObject>
#include <QString>

class QPagedPaintDevice;
class QWidget;

namespace bkp::db {
class DataSet;
}

namespace bkp::reports {

// A font as the "Label." directives give it: "Name=Arial;Color=clNavy;Size=10;Bold;
// Italic;Underline" (every part may be left out).
struct LabelFont {
    QFont font;
    QColor color{Qt::black};
    static LabelFont parse(const QString &text, const LabelFont &base);
};

// Where the labels go on the page, in points (1/72 inch) on the printed page, read
// from the statement's "Label." directives: "Label.Height", "Label.Columns",
// "Label.Top", "Label.Left", "Label.Font" and "Label.<FieldName>.Font".
struct LabelLayout {
    double height = 150;
    int columns = 2;
    double top = 10;
    double left = 16;
    LabelFont font;
    QHash<QString, LabelFont> fieldFonts; // by upper-cased field name

    static LabelLayout fromStatement(const QString &statement);
    LabelFont fontOf(const QString &fieldName) const;
};

// Prints one label per record: its fields' texts one under the other, in the
// fonts the directives give, the labels in columns across and rows down the page.
class LabelPrinter : public QObject {
    Q_OBJECT
public:
    explicit LabelPrinter(db::DataSet *data, const QString &statement, QObject *parent = nullptr);

    const LabelLayout &layout() const { return m_layout; }
    void paint(QPagedPaintDevice &device);
    bool printToPdf(const QString &path);
    // The labels in a modal preview; its title names the unit of the directives.
    void Preview(QWidget *parent = nullptr);

private:
    db::DataSet *m_data;
    LabelLayout m_layout;
};

} // namespace bkp::reports
