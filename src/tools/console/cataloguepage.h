#pragma once

#include "db/query.h"

#include <QWidget>
#include <functional>

class QToolButton;

namespace bkp::widgets {
class DBGrid;
}

namespace bkp::tools {
class ConsoleSession;
}

namespace bkp::tools::console {

// One kind of the database's catalogue on its page: the procedures, the triggers
// or the views, listed in a grid beside the source of the current one, with
// "Remover" (and "Executar" for the views).
class CataloguePage : public QWidget {
    Q_OBJECT
public:
    enum Kind { Procedures, Triggers, Views };
    explicit CataloguePage(Kind kind, QWidget *parent = nullptr);

    // `runStatement` shows the SQL page and runs a statement there as typed.
    void bind(ConsoleSession *session, std::function<void(const QString &)> runStatement);

    QString caption() const;
    db::Query &query() { return m_query; }
    // The page shown: its query is opened when it is not.
    void open();
    // "Remover": drops the current procedure, trigger or view after a confirmation.
    void removeRow();
    // "Executar" of the views: the current view's rows as the SQL page's result.
    void execute();
    // Removing views is offered only while the form designer's window is open.
    void setRemoveEnabled(bool on);

private:
    void reopen();

    Kind m_kind;
    ConsoleSession *m_session = nullptr;
    std::function<void(const QString &)> m_runStatement;
    db::Query m_query;
    QString m_nameField;
    widgets::DBGrid *m_grid = nullptr;
    QToolButton *m_remove = nullptr;
};

} // namespace bkp::tools::console
