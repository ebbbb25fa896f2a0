#pragma once

#include <QString>
#include <QStringList>

class QToolButton;
class QWidget;

namespace bkp::db {
class DataSet;
}
namespace bkp::widgets {
class DBGrid;
}

namespace bkp::tools {
class ConsoleSession;
}

// What the console's pages share: their tool buttons, the navigators' hints, the
// record position of a status bar and the memo editor of a grid's cell.
namespace bkp::tools::console {

// A text-only tool button named as the tests and the listings find it.
QToolButton *toolButton(QWidget *parent, const QString &name, const QString &caption,
                        const QString &hint);
const QStringList &navigatorHints();
// "Recno n/count", empty while the data set is closed.
QString recordPosition(const db::DataSet &ds);
// The memo of the grid's current row in the memo editor; a saved edit is pending work.
void editMemo(widgets::DBGrid *grid, const QString &fieldName, ConsoleSession *session,
              QWidget *parent);

} // namespace bkp::tools::console
