#include "tools/console/cataloguepage.h"

#include "db/dataroutines.h"
#include "db/identifiers.h"
#include "lib/scopeguard.h"
#include "lib/strings.h"
#include "lib/ui.h"
#include "tools/console/pagetools.h"
#include "tools/consolesession.h"
#include "widgets/dbcontrols.h"
#include "widgets/dbgrid.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace bkp::tools::console {

namespace {
// What tells the three kinds apart: the grid's name, the page's caption, the
// query, its name and source fields and the grid's columns.
struct KindInfo {
    const char *name, *caption;
    QStringList sql;
    const char *nameField, *sourceField;
    QList<QPair<QString, QString>> columns;
};

const KindInfo &info(CataloguePage::Kind kind) {
    static const KindInfo kinds[] = {
        {"Procedure",
         "Procedures",
         {QStringLiteral("Select"), QStringLiteral("*"), QStringLiteral("from"),
          QStringLiteral("rdb$procedures"), QStringLiteral("order by RDB$PROCEDURE_NAME")},
         "RDB$PROCEDURE_NAME",
         "RDB$PROCEDURE_SOURCE",
         {{QStringLiteral("RDB$PROCEDURE_NAME"), QStringLiteral("Procedures")}}},
        {"Trigger",
         "Triggers",
         {QStringLiteral("select"), QStringLiteral("*"), QStringLiteral("from rdb$triggers"),
          QStringLiteral("where coalesce(rdb$system_flag,0)=0"),
          QStringLiteral("order by RDB$TRIGGER_NAME")},
         "RDB$TRIGGER_NAME",
         "RDB$TRIGGER_SOURCE",
         {{QStringLiteral("RDB$TRIGGER_NAME"), QStringLiteral("Triggers")},
          {QStringLiteral("RDB$RELATION_NAME"), QStringLiteral("Tabela")},
          {QStringLiteral("RDB$SYSTEM_FLAG"), QString()}}},
        {"DBGridView",
         "Views",
         {QStringLiteral("SELECT * FROM RDB$RELATIONS"),
          QStringLiteral("WHERE NOT RDB$VIEW_BLR IS NULL"),
          QStringLiteral("order by RDB$RELATION_NAME")},
         "RDB$RELATION_NAME",
         "RDB$VIEW_SOURCE",
         {{QStringLiteral("RDB$RELATION_NAME"), QStringLiteral("Views")}}},
    };
    return kinds[kind];
}
} // namespace

CataloguePage::CataloguePage(Kind kind, QWidget *parent) : QWidget(parent), m_kind(kind) {
    const KindInfo &k = info(kind);
    const QString caption = QString::fromUtf8(k.caption);
    m_nameField = QString::fromUtf8(k.nameField);
    setObjectName(QStringLiteral("TabSheet_") + caption);
    auto *box = new QVBoxLayout(this);
    auto *bar = new QHBoxLayout;
    box->addLayout(bar);
    if (kind == Procedures)
        m_remove = toolButton(this, QStringLiteral("ToolButton_RemoverProcedure"),
                              QStringLiteral("Remover"),
                              QStringLiteral("Clique aqui para remover a procedure selecionada."));
    else if (kind == Triggers)
        m_remove =
            toolButton(this, QStringLiteral("ToolButton_RemoverTrigger"), QStringLiteral("Remover"),
                       QStringLiteral("Clique aqui para remover a triger selecionada."));
    else {
        QToolButton *run = toolButton(this, QStringLiteral("ToolButton_DBGridViewExecutar"),
                                      QStringLiteral("Executar"), QString());
        bar->addWidget(run);
        connect(run, &QToolButton::clicked, this, &CataloguePage::execute);
        m_remove = toolButton(
            this, QStringLiteral("ToolButton_DBGridViewRemover"), QStringLiteral("Remover"),
            QStringLiteral("Clique aqui para remover a view selecionada do database."));
        m_remove->setEnabled(false); // decided when the window is shown
    }
    bar->addWidget(m_remove);
    bar->addStretch(1);
    connect(m_remove, &QToolButton::clicked, this, &CataloguePage::removeRow);

    auto *split = new QSplitter(Qt::Horizontal, this);
    box->addWidget(split, 1);
    m_query.setObjectName(QStringLiteral("IB") + caption);
    m_query.setSql(k.sql);
    m_grid = new widgets::DBGrid(split);
    m_grid->setObjectName(QStringLiteral("DBGrid_") + QString::fromUtf8(k.name));
    QList<widgets::GridColumn> cols;
    for (const auto &c : k.columns)
        cols.append({c.first, c.second, c.first == m_nameField ? 200 : 120});
    m_grid->setColumns(cols);
    m_grid->setDataSet(&m_query);
    // The grid keeps room for all its columns ("Tabela" beside the trigger's name),
    // also once they are fitted to their titles and rows; the source beside it takes
    // what is left.
    // A column is never narrower than its title (the trigger's system flag has no
    // caption of its own and shows the longer field name).
    for (int c = 0; c < cols.size(); ++c)
        m_grid->setColumnWidth(
            c, std::max(m_grid->columnWidth(c), m_grid->horizontalHeader()->sectionSizeHint(c)));
    const auto keepRoomForColumns = [this] {
        m_grid->setMinimumWidth(
            m_grid->horizontalHeader()->length() + m_grid->verticalHeader()->sizeHint().width() +
            m_grid->verticalScrollBar()->sizeHint().width() + 2 * m_grid->frameWidth());
    };
    keepRoomForColumns();
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionResized, this, keepRoomForColumns);
    auto *right = new QWidget(split);
    auto *rightBox = new QVBoxLayout(right);
    rightBox->addWidget(new QLabel(QStringLiteral("SQL"), right));
    const QString sourceField = QString::fromUtf8(k.sourceField);
    auto *memo = new widgets::DBMemo(right);
    memo->setObjectName(QStringLiteral("DBMemo_") + QString(sourceField).remove(QLatin1Char('$')));
    memo->setReadOnly(true);
    memo->bind(&m_query, sourceField);
    rightBox->addWidget(memo, 1);
    split->setStretchFactor(1, 1);
}

QString CataloguePage::caption() const {
    return QString::fromUtf8(info(m_kind).caption);
}

void CataloguePage::bind(ConsoleSession *session,
                         std::function<void(const QString &)> runStatement) {
    m_session = session;
    m_runStatement = std::move(runStatement);
    m_query.setDatabase(session->database());
}

void CataloguePage::setRemoveEnabled(bool on) {
    m_remove->setEnabled(on);
}

void CataloguePage::open() {
    if (!m_query.active()) {
        ScopedCursor wait(platform::CursorKind::SqlWait);
        m_query.close();
        m_query.open();
    }
    m_grid->setFocus();
}

void CataloguePage::reopen() {
    m_query.close();
    m_query.open();
}

void CataloguePage::removeRow() {
    if (m_kind == Views) {
        if (m_query.isEmpty()) {
            ShowMessageBox(QStringLiteral("Não existem Views cadastradas neste database."),
                           QString(), platform::MB_OK | platform::MB_ICONINFORMATION);
            return;
        }
        if (!ConfirmBox(QStringLiteral("Atenção:\rA remoção indevida de uma view pode causar\r"
                                       "problemas nos aplictivos que utilizam este database.\r\r"
                                       "Confirma a operação?")))
            return;
        const QString statement =
            QStringLiteral("Drop View ") +
            db::QuoteIdentifier(m_query.fieldByName(m_nameField)->asString().trimmed());
        // Pending and reopened also when the drop is refused.
        ScopeGuard after([this] {
            m_session->setPending();
            reopen();
        });
        m_runStatement(statement);
        return;
    }
    if (m_query.isEmpty())
        return;
    const QString name = m_query.fieldByName(m_nameField)->asString().trimmed();
    const bool procedure = m_kind == Procedures;
    if (!ConfirmBox((procedure ? QStringLiteral("Confirma exclusão da procedure ")
                               : QStringLiteral("Confirma exclusão da trigger ")) +
                    UpperTrim(name) + QLatin1Char('?')))
        return;
    db::ExecSQL(m_session->database(),
                (procedure ? QStringLiteral("drop procedure ") : QStringLiteral("drop trigger ")) +
                    db::QuoteIdentifier(name));
    reopen();
}

void CataloguePage::execute() {
    if (!m_query.active())
        open();
    if (m_query.isEmpty()) {
        ShowMessageBox(QStringLiteral("Não existem Views cadastradas neste database."), QString(),
                       platform::MB_OK | platform::MB_ICONINFORMATION);
        return;
    }
    const QString v = m_query.fieldByName(m_nameField)->asString().trimmed().toLower();
    m_runStatement(QStringLiteral("Select \r\n") + v + QStringLiteral(".*\r\nFrom\r\n") + v);
}

} // namespace bkp::tools::console
