#include "tools/consolelistings.h"

#include "db/dataset.h"
#include "db/field.h"
#include "db/query.h"
#include "lib/datetime.h"
#include "lib/pacedstatus.h"
#include "lib/paths.h"
#include "lib/strings.h"
#include "lib/ui.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/filesystem.h"
#include "platform/hostinfo.h"
#include "reports/gridprogress.h"
#include "reports/imagebrowser.h"
#include "reports/labelprinter.h"
#include "reports/masterdetail.h"
#include "reports/reportprinter.h"
#include "reports/visualreport.h"
#include "tools/htmllisting.h"
#include "tools/printedlisting.h"
#include "widgets/dbgrid.h"
#include "widgets/framegate.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QWidget>

namespace bkp::tools {

namespace {

const QString NoRecords = QStringLiteral("Não existem registros para geração da listagem.");

// Texts of the desktop's refusals, as the operator has known them.
void openOrTell(const QString &file) {
    if (!QFileInfo::exists(file)) {
        ShowMessageBox(QStringLiteral("Error: File not found"), QStringLiteral("Error"),
                       platform::MB_OK | platform::MB_ICONERROR);
        return;
    }
    if (!platform::openDocument(file))
        // No program is associated with the file.
        ShowMessageBox(QStringLiteral("Error Nr: 31 inShellExecute"), QStringLiteral("Error"),
                       platform::MB_OK | platform::MB_ICONERROR);
}

// A listing's file that could not be written, named in the message.
[[noreturn]] void throwFileError(const QFile &file) {
    throw std::runtime_error(QStringLiteral("Não foi possível gravar o arquivo %1: %2")
                                 .arg(file.fileName(), file.errorString())
                                 .toStdString());
}

// Progress texts reach the status bar once a screen frame, the last one always.
class Progress {
public:
    explicit Progress(StatusBarPort *bar) : m_paced(bar, widgets::screenRefreshInterval()) {}
    ~Progress() { m_paced.flush(); }
    void show(const QString &text) {
        m_paced.setPanelText(3, text);
        if (m_paced.flushWhenDue())
            platform::processMessages();
    }

private:
    PacedStatusBar m_paced;
};

// Switches the enabled ones of `widgets` off for a scope, and those back on.
class ControlsSwitchedOff {
public:
    explicit ControlsSwitchedOff(const QList<QWidget *> &widgets) {
        for (QWidget *w : widgets)
            if (w && w->isEnabled()) {
                w->setEnabled(false);
                m_off.append(w);
            }
    }
    ~ControlsSwitchedOff() {
        for (QWidget *w : std::as_const(m_off))
            w->setEnabled(true);
    }
    ControlsSwitchedOff(const ControlsSwitchedOff &) = delete;
    ControlsSwitchedOff &operator=(const ControlsSwitchedOff &) = delete;

private:
    QList<QWidget *> m_off;
};

} // namespace

bool ConsoleListings::hasRecords() const {
    if (m_c.data && m_c.data->active() && !m_c.data->isEmpty())
        return true;
    ShowMessageBox(NoRecords, QString(), platform::MB_OK | platform::MB_ICONINFORMATION);
    return false;
}

QString ConsoleListings::gridHtmlPath() {
    return JoinPath(platform::tempFolder(),
                    CapitalizeWords(ProgramBaseName(platform::fs::programPath())) +
                        QStringLiteral(".htm"),
                    platform::fs::separator());
}

void ConsoleListings::SaveToHTML() {
    QString title = QStringLiteral("Listagem da tabela ") + m_c.tableName;
    if (!platform::dialogs().inputQuery(QStringLiteral("Título da listagem"),
                                        QStringLiteral("Informe o título da listagem HTML:"),
                                        title))
        return;
    const QString proposed =
        JoinPath(platform::tempFolder(), HtmlListingFileName(title), platform::fs::separator());
    const QString file = platform::dialogs().saveFileName(
        QStringLiteral("Informe o nome do arquivo HTML a ser gerado"), proposed,
        QStringLiteral("HTML Files|*.htm*"), QStringLiteral("html"));
    if (file.isEmpty())
        return;
    try {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throwFileError(out);
        HtmlListingInfo info;
        info.title = title;
        info.company = m_c.company;
        info.user = m_c.user;
        info.computer = platform::computerName();
        info.programPath = platform::fs::programPath();
        info.databaseName = m_c.databaseName;
        info.statement = m_c.lastStatement;
        info.when = Now();
        {
            Progress progress(m_c.statusBar);
            if (m_c.data)
                WriteHtmlListing(out, *m_c.data, info, [&](int recNo, int count) {
                    progress.show(HtmlProgressText(recNo, count));
                });
        }
        out.close();
        if (out.error() != QFileDevice::NoError)
            throwFileError(out);
        openOrTell(file);
        ShowStatus(m_c.statusBar, 3, QStringLiteral("Gerado arquivo ") + file);
    } catch (const std::exception &e) {
        const QString error = QString::fromLocal8Bit(e.what());
        ShowMessageBox(QStringLiteral("Ocorreu um erro durante a geração do arquivo HTML:\r") +
                           error,
                       QString(), platform::MB_OK | platform::MB_ICONERROR);
        ShowStatus(m_c.statusBar, 3, QStringLiteral("Erro: ") + error);
    }
}

void ConsoleListings::DBGridToHTML() {
    QString title;
    if (!platform::dialogs().inputQuery(
            QStringLiteral("Imprimir grid em HTML"),
            QStringLiteral("Informe um título para a listagem (opcional):"), title))
        return;
    QList<GridHtmlColumn> columns;
    if (m_c.grid)
        for (const widgets::GridColumn &c : m_c.grid->dataModel()->columns())
            columns.append({c.title.isEmpty() ? c.fieldName : c.title, c.fieldName});
    GridHtmlInfo info{title.trimmed(), m_c.tableName, m_c.lastStatement, {}};
    if (auto *query = dynamic_cast<db::Query *>(m_c.data))
        for (const db::Param &p : std::as_const(query->params()))
            info.params.append({p.name, p.value.toString()});
    const QString file = gridHtmlPath();

    const ScopedCursor wait(platform::CursorKind::Hourglass);
    const ControlsSwitchedOff off(m_c.controls);

    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throwFileError(out);
    {
        reports::GridProgress bar(m_c.grid ? static_cast<QWidget *>(m_c.grid) : m_c.window);
        const int frame = widgets::screenRefreshInterval();
        QElapsedTimer sincePaint;
        if (m_c.data)
            WriteGridHtml(out, *m_c.data, columns, info, [&](int recNo, int count) {
                // The bar and the message loop once a screen frame, the last record always.
                if (!sincePaint.isValid() || sincePaint.elapsed() >= frame || recNo == count) {
                    sincePaint.start();
                    bar.setPosition(recNo, count, QStringLiteral("Exportando DBGrid para HTML..."));
                    platform::processMessages();
                }
            });
    }
    out.close();
    if (out.error() != QFileDevice::NoError)
        throwFileError(out); // a short page must not open as if it were whole
    openOrTell(file);
}

void ConsoleListings::ReportClick() {
    if (!hasRecords())
        return;
    reports::ReportPrinter report;
    if (!report.SetupDialog(QStringLiteral("TfFBConsole"), m_c.window))
        return;
    PrintedListingSetup setup;
    setup.company = m_c.company;
    setup.title =
        m_c.title.isEmpty() ? QStringLiteral("Listagem da tabela ") + m_c.tableName : m_c.title;
    setup.subtitle = m_c.subtitle;
    setup.groupField = m_c.group;
    setup.sumFields = m_c.sums;
    {
        Progress progress(m_c.statusBar);
        FillPrintedListing(report, *m_c.data, setup, [&](int recNo, int count, int page) {
            progress.show(ReportProgressText(recNo, count, page));
        });
    }
    report.Preview(m_c.window);
}

void ConsoleListings::ReportVisual() {
    QString title;
    if (!platform::dialogs().inputQuery(QStringLiteral("Report Visual"),
                                        QStringLiteral("Informe o título do relatório:"), title))
        return;
    if (!hasRecords())
        return;
    if (title.trimmed().isEmpty())
        title = QStringLiteral("Tabela ") + UpperTrim(m_c.tableName);
    reports::VisualReport report;
    SetUpVisualReport(report, *m_c.data, title,
                      m_c.grid ? m_c.grid->fontMetrics() : QFontMetrics(QFont()));
    report.Preview(m_c.window);
}

void SetUpVisualReport(reports::VisualReport &report, db::DataSet &data, const QString &title,
                       const QFontMetrics &gridFont) {
    data.fetchAll(); // the summary counts every row
    report.setHeader(QStringLiteral("Orbelan Informática"));
    report.setTitle(title);
    report.setDataSet(&data);
    report.setColor(16248552);
    QList<reports::VisualColumn> columns;
    for (int i = 0; i < data.fieldCount(); ++i) {
        const db::Field *f = data.field(i);
        const int width = widgets::DefaultColumnWidth(gridFont, *f);
        columns.append({f->fieldName(), CapitalizeWords(f->displayLabel()), width + width / 8});
    }
    report.setColumns(columns);
    report.setSummary(QStringLiteral("'Total de registros listados: ") +
                      QString::number(data.recordCount()) + QLatin1Char('\''));
}

void ConsoleListings::Etiquetas() {
    if (!hasRecords())
        return;
    reports::LabelPrinter labels(m_c.data, m_c.lastStatement);
    labels.Preview(m_c.window);
}

void ConsoleListings::Imagens() {
    {
        reports::TfImageBrowser browser(m_c.data, m_c.window);
        browser.exec();
    }
    if (m_c.afterScroll)
        m_c.afterScroll();
}

void ConsoleListings::SubQuery() {
    {
        reports::TfMasterDetail window(m_c.data, m_c.window);
        window.exec();
    }
    if (m_c.afterScroll)
        m_c.afterScroll();
}

void ConsoleListings::ScripEtiquetas(QStringList &editorLines) {
    if (AddLabelScript(editorLines) == LabelScriptResult::NoSelect)
        ShowMessageBox(QStringLiteral("Não existe instrução SQL para inserir script."), QString(),
                       platform::MB_OK | platform::MB_ICONINFORMATION);
}

} // namespace bkp::tools
