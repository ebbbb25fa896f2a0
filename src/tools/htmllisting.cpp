#include "tools/htmllisting.h"

#include "db/dataset.h"
#include "db/field.h"
#include "lib/strings.h"

#include <QFileInfo>
#include <QIODevice>
#include <QStringConverter>
#include <QTextStream>

namespace bkp::tools {

namespace {

const QString Eol = QStringLiteral("\r\n");

// Records are written through this, so both listings read on from the first
// record with the count known for their progress.
template <typename Row>
int eachRecord(db::DataSet &data, const ListingProgress &progress, Row row) {
    if (!data.active())
        return 0;
    const db::ControlsDisabled quiet(data);
    data.last();
    const int count = data.recordCount();
    data.first();
    for (int recNo = 1; !data.eof(); ++recNo) {
        if (progress)
            progress(recNo, count);
        row(recNo);
        data.next();
    }
    return count;
}

void startUtf8(QTextStream &text) {
    text.setEncoding(QStringConverter::Utf8);
    text.setGenerateByteOrderMark(true);
}

QString rowColour(int recNo) {
    return recNo % 2 == 0 ? QStringLiteral("#E8EEF7") : QStringLiteral("#C3D9FF");
}

} // namespace

QString ProgramBaseName(const QString &programPath) {
    return QFileInfo(programPath).fileName().section(QLatin1Char('.'), 0, 0);
}

QString CapitalizeWords(const QString &text) {
    QString out = text;
    bool wordStart = true;
    for (QChar &c : out) {
        if (c.isSpace()) {
            wordStart = true;
            continue;
        }
        if (c.isLetter())
            c = wordStart ? c.toUpper() : c.toLower();
        wordStart = false;
    }
    return out;
}

QString HtmlListingFileName(const QString &title) {
    QString name = CapitalizeWords(title);
    for (QChar &c : name)
        if (c.unicode() < 0x20 || c == QChar(0x7F) || QStringLiteral("\\/:*?\"<>|").contains(c))
            c = QLatin1Char('-');
    return name + QStringLiteral(".html");
}

QString HtmlListingDate(TDateTime when) {
    static const char *const months[12] = {"Jan", "Fev", "Mar", "Abr", "Mai", "Jun",
                                           "Jul", "Ago", "Set", "Out", "Nov", "Dez"};
    const QDateTime dt = ToQDateTime(when);
    return WeekdayShort(when) + QLatin1Char(' ') + ZeroPad(2, dt.date().day()) + QLatin1Char('/') +
           QLatin1String(months[dt.date().month() - 1]) + QLatin1Char('/') +
           ZeroPad(4, dt.date().year()) + QLatin1Char(' ') + ZeroPad(2, dt.time().hour()) +
           QLatin1Char(':') + ZeroPad(2, dt.time().minute());
}

QString HtmlText(const QString &text) {
    QString out = text.toHtmlEscaped();
    // toHtmlEscaped also writes quotes as entities; a cell's quote can stay as it is.
    out.replace(QLatin1String("&quot;"), QLatin1String("\""));
    out.replace(QLatin1Char(' '), QLatin1String("&nbsp;"));
    return out;
}

QString PercentText(int recNo, int count) {
    const double percent = count > 0 ? recNo * 100.0 / count : 0.0;
    return GroupingLocale().toString(percent, 'f', 1) + QLatin1Char('%');
}

QString HtmlProgressText(int recNo, int count) {
    return QStringLiteral("Gerando HTML... ") + PercentText(recNo, count) + QStringLiteral(" - ") +
           QString::number(recNo) + QStringLiteral(" registros exportados");
}

void WriteHtmlListing(QIODevice &out, db::DataSet &data, const HtmlListingInfo &info,
                      const ListingProgress &progress) {
    QTextStream text(&out);
    startUtf8(text);
    const auto line = [&text](const QString &l) {
        text << l << Eol;
    };
    const QString cellHead = QStringLiteral("<td  bgcolor=#FFCC66 align=right >");
    const QString cellEnd = QStringLiteral("&nbsp;</td>");
    const QString program = ProgramBaseName(info.programPath);

    line(QStringLiteral("<html>"));
    line(QStringLiteral("<title>Orbelan Informática</title>"));
    line(QStringLiteral("<head><h1>") + CapitalizeWords(info.title).toHtmlEscaped() +
         QStringLiteral("</h1></head>"));
    line(QStringLiteral("<hr align=\"left\">"));
    line(QStringLiteral("<body bgcolor=#FFFFCC>"));
    line(QStringLiteral("<table CELLSPACING=2 CELLPADDING=2>"));
    line(QStringLiteral("<tr>"));
    line(QStringLiteral("<td bgcolor=#FFCC66 align=right >Empresa</td><td>") +
         info.company.toHtmlEscaped() + cellEnd);
    line(QStringLiteral("<td  bgcolor=#FFCC66  align=right >Data</td><td>") +
         HtmlListingDate(info.when) + cellEnd);
    line(QStringLiteral("</tr>"));
    line(QStringLiteral("<tr>"));
    line(cellHead + QStringLiteral("Estação</td><td>") + info.computer.toHtmlEscaped() + cellEnd);
    line(cellHead + QStringLiteral("Usuário</td><td>") + info.user.toHtmlEscaped() + cellEnd);
    line(QStringLiteral("</tr>"));
    line(QStringLiteral("<tr>"));
    line(cellHead + QStringLiteral("Aplicativo</td><td>") + program.toUpper().toHtmlEscaped() +
         cellEnd);
    line(cellHead + QStringLiteral("Database</td><td>") +
         info.databaseName.toLower().toHtmlEscaped() + cellEnd);
    for (const char *l : {"</tr>", "</table>", "<hr align=\"left\">",
                          "<table CELLSPACING=2 CELLPADDING=2>", "<tr>"})
        line(QLatin1String(l));

    for (int i = 0; i < data.fieldCount(); ++i) {
        const db::Field *f = data.field(i);
        line((f->isNumeric() ? QStringLiteral("<th align=right>")
                             : QStringLiteral("<th align=left>")) +
             f->displayLabel().toHtmlEscaped() + QStringLiteral("</th>"));
    }
    line(QStringLiteral("</tr>"));

    const int count = eachRecord(data, progress, [&](int recNo) {
        line(QStringLiteral("<tr bgcolor=") + rowColour(recNo) + QStringLiteral(">"));
        for (int i = 0; i < data.fieldCount(); ++i) {
            const db::Field *f = data.field(i);
            line((f->isNumeric() ? QStringLiteral("<td align=Right>") : QStringLiteral("<td>")) +
                 HtmlText(f->displayText()) + QStringLiteral("</td>"));
        }
        line(QStringLiteral("</tr>"));
    });

    line(QStringLiteral("</table>"));
    line(QStringLiteral("<hr align=\"left\">"));
    line(QStringLiteral("Total de registros: ") + FormatThousands(count));
    line(QStringLiteral("<hr align=\"left\">"));
    line(QStringLiteral("<table>"));
    QString sql = info.statement.toHtmlEscaped();
    sql.replace(QLatin1String("\r\n"), QLatin1String("<br>"));
    line(QStringLiteral("<tr bgcolor=#FFCC33><td>&nbsp;SQL</td><td bgcolor=#CCFF99>") + sql +
         QStringLiteral("</td></tr>"));
    line(QStringLiteral("</table>"));
    line(QStringLiteral("</body>"));
    line(QStringLiteral("</html>"));
    text.flush();
}

void WriteGridHtml(QIODevice &out, db::DataSet &data, const QList<GridHtmlColumn> &columns,
                   const GridHtmlInfo &info, const ListingProgress &progress) {
    QTextStream text(&out);
    startUtf8(text);
    QList<const db::Field *> fields;
    for (const GridHtmlColumn &c : columns)
        fields.append(data.findField(c.fieldName));
    const auto align = [](const db::Field *f, const char *cell) {
        return QLatin1Char('<') + QLatin1String(cell) +
               (f && f->isNumeric() ? QStringLiteral(" align=right>")
                                    : QStringLiteral(" align=left>"));
    };

    text << "<html>" << Eol << "<body bgcolor=#FFFFCC>" << Eol;
    if (!info.title.isEmpty())
        text << "<Font Size=6>" << info.title.toHtmlEscaped() << "</Font><hr><table>";
    else
        text << "Tabela: " << info.tableName.toHtmlEscaped() << "<hr><table>";
    text << "<tr bgcolor=#FFCC33 align=left>";
    for (int i = 0; i < columns.size(); ++i)
        text << align(fields[i], "th") << columns[i].title.toHtmlEscaped() << "</th>";

    const int count = eachRecord(data, progress, [&](int recNo) {
        text << "<tr bgcolor=" << rowColour(recNo) << " >";
        for (const db::Field *f : std::as_const(fields)) {
            QString cell = HtmlText(f ? f->displayText() : QString());
            cell.replace(QLatin1Char('-'), QLatin1String("&middot;"));
            text << align(f, "td") << cell << "</td>";
        }
        text << "</tr>";
    });

    text << Eol << Eol << "</table>" << Eol << "<hr>" << Eol << count << " registros listados<br>"
         << "<HR>"
         << "<table CELLSPACING=5 CELLPADDING=5 >";
    QList<QPair<QString, QString>> entries{
        {QStringLiteral("Tabela"), info.tableName.toHtmlEscaped()},
        {QStringLiteral("SQL"), info.statement.toHtmlEscaped()}};
    if (!info.params.isEmpty()) {
        QString params;
        for (const auto &[name, value] : info.params)
            params += (name + QLatin1Char('=') + value).toHtmlEscaped() + QStringLiteral("<br>");
        entries.append({QStringLiteral("Params"), params});
    }
    for (const auto &[label, value] : std::as_const(entries))
        text << "<tr><td align=right bgcolor=#FFCC33>&nbsp;" << label << "</td>"
             << "<td bgcolor=#CCFF99>" << value << "</td></tr>";
    text << "</table>" << Eol << "</body>" << Eol << "</html>";
    text.flush();
}

QStringList LabelScriptLines() {
    return {QStringLiteral("/*[Labels] - Parâmetros para geração de etiquetas."),
            QStringLiteral("Label.Height=150"),
            QStringLiteral("Label.Columns=2"),
            QStringLiteral("Label.Top=10"),
            QStringLiteral("Label.Left=16"),
            QStringLiteral("Label.<FieldName>.Font=Name=Arial;Color=clNavy;Size=10;Bold;Italic;"
                           "Underline"),
            QStringLiteral("Label.Font="),
            QStringLiteral("*/")};
}

LabelScriptResult AddLabelScript(QStringList &lines) {
    const QString upper = lines.join(QLatin1Char('\n')).toUpper();
    if (!upper.contains(QLatin1String("SELECT")))
        return LabelScriptResult::NoSelect;
    if (upper.contains(QLatin1String("[LABELS]")))
        return LabelScriptResult::AlreadyThere;
    if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
        lines.append(QString());
    lines.append(LabelScriptLines());
    return LabelScriptResult::Inserted;
}

} // namespace bkp::tools
