#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QFontMetrics;

class QWidget;

namespace bkp {
class StatusBarPort;
}
namespace bkp::db {
class DataSet;
}
namespace bkp::widgets {
class DBGrid;
}
namespace bkp::reports {
class VisualReport;
}

namespace bkp::tools {

// What the console's listing commands take from the console.
struct ConsoleListingContext {
    db::DataSet *data = nullptr;     // the result shown in the grid
    widgets::DBGrid *grid = nullptr; // DBGrid1
    QString lastStatement;           // with its listing directives
    QString tableName;               // of the statement
    QString company, user, databaseName;
    StatusBarPort *statusBar = nullptr; // StatusBar1 (panel 3 shows the progress)
    QWidget *window = nullptr;          // owner of the dialogs
    QList<QWidget *> controls;          // what the grid export disables while it runs
    // The directives the printed listing reads.
    QString title, subtitle, group;
    QStringList sums;
    // The after-scroll notification, given back when a companion window closes.
    std::function<void()> afterScroll;
};

// The listing commands of the SQL console, each as the console's menus start it.
class ConsoleListings {
public:
    explicit ConsoleListings(ConsoleListingContext context) : m_c(std::move(context)) {}

    // "HTML": title, file name, the listing written, opened in the browser.
    void SaveToHTML();
    // "DBGridToHTML": the grid exported to the temporary folder and opened.
    void DBGridToHTML();
    // "Report" / "Report Text": the printed listing, previewed.
    void ReportClick();
    // "Report visual".
    void ReportVisual();
    // "Etiquetas".
    void Etiquetas();
    // "Imagens" and "Sub-Query": companion windows over the result.
    void Imagens();
    void SubQuery();
    // "Script para etiquetas": appends the block to the editor's lines.
    static void ScripEtiquetas(QStringList &editorLines);

    // The file the grid export writes: the program's capitalised base name + ".htm"
    // in the temporary folder.
    static QString gridHtmlPath();

private:
    bool hasRecords() const;
    ConsoleListingContext m_c;
};

// The visual report of every row of `data` under `title`, each column as wide as
// the grid's default column for its field (in the grid's font) and an eighth more.
void SetUpVisualReport(reports::VisualReport &report, db::DataSet &data, const QString &title,
                       const QFontMetrics &gridFont);

} // namespace bkp::tools
