#include "tools/console/sqlpage.h"

#include "db/database.h"
#include "db/metadata.h"
#include "db/ordering.h"
#include "db/query.h"
#include "lib/scopeguard.h"
#include "lib/strings.h"
#include "lib/ui.h"
#include "platform/dialogs.h"
#include "tools/console/pagetools.h"
#include "tools/consolescripts.h"
#include "tools/consolesession.h"
#include "widgets/dbgrid.h"
#include "widgets/dbnavigator.h"
#include "widgets/statusbar.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace bkp::tools::console {

SqlPage::SqlPage(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabSheet_SQL"));
    auto *page = new QVBoxLayout(this);
    buildToolBar(page);
    auto *split = new QSplitter(Qt::Horizontal, this);
    page->addWidget(split, 1);
    split->addWidget(buildTablePicker());
    split->addWidget(buildEditorAndResult());
    split->setStretchFactor(1, 1);
}

void SqlPage::buildToolBar(QVBoxLayout *page) {
    auto *bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("ToolBar2"));
    QToolButton *sql = toolButton(this, QStringLiteral("ToolButton_SQL"), QStringLiteral("SQL"),
                                  QStringLiteral("Executa instrução SQL"));
    ToolButton_Anterior =
        toolButton(this, QStringLiteral("ToolButton_Anterior"), QStringLiteral("Anterior"),
                   QStringLiteral("Recupera instrução SQL anterior"));
    PopupMenu_Historicos = new QMenu(this);
    PopupMenu_Historicos->setObjectName(QStringLiteral("PopupMenu_Historicos"));
    PopupMenu_Historicos->setToolTipsVisible(true);
    ToolButton_Anterior->setMenu(PopupMenu_Historicos);
    ToolButton_Anterior->setPopupMode(QToolButton::MenuButtonPopup);
    QToolButton *load = toolButton(this, QStringLiteral("ToolButton_LoadScript"),
                                   QStringLiteral("Carregar Script"), QString());
    QToolButton *save = toolButton(this, QStringLiteral("ToolButton_SaveScript"),
                                   QStringLiteral("Salvar Script"), QString());
    QToolButton *commit =
        toolButton(this, QStringLiteral("ToolButton_Commit"), QStringLiteral("Commit"),
                   QStringLiteral("Grava atualizações feitas no banco de dados "));
    QToolButton *rollback = toolButton(this, QStringLiteral("ToolButton_Roolback"),
                                       QStringLiteral("Roolback"), QString());
    QToolButton *refresh =
        toolButton(this, QStringLiteral("ToolButton_Refresh"), QStringLiteral("Refresh"),
                   QStringLiteral("Desconecta e reabre banco da dados"));
    for (QToolButton *b : {sql, ToolButton_Anterior, load, save, commit, rollback, refresh})
        bar->addWidget(b);
    page->addWidget(bar);

    connect(sql, &QToolButton::clicked, this, &SqlPage::ToolButton_SQLClick);
    connect(ToolButton_Anterior, &QToolButton::clicked, this, &SqlPage::ToolButton_AnteriorClick);
    connect(load, &QToolButton::clicked, this, [this] {
        const QString text = ConsoleScripts::load();
        if (!text.isNull())
            RichEdit_SQL->setPlainText(text);
    });
    connect(save, &QToolButton::clicked, this,
            [this] { ConsoleScripts::save(RichEdit_SQL->toPlainText()); });
    connect(commit, &QToolButton::clicked, this, [this] { m_session->commit(); });
    connect(rollback, &QToolButton::clicked, this, [this] { m_session->rollback(); });
    connect(refresh, &QToolButton::clicked, this, [this] { m_session->reconnect(); });
}

QWidget *SqlPage::buildTablePicker() {
    auto *left = new QWidget;
    auto *leftBox = new QVBoxLayout(left);
    leftBox->setContentsMargins(0, 0, 0, 0);
    ListBox_Tabelas = new QListWidget(left);
    ListBox_Tabelas->setObjectName(QStringLiteral("ListBox_Tabelas"));
    QToolButton *detailed =
        toolButton(this, QStringLiteral("ToolButton_ExecutaConsulta"), QStringLiteral("Consulta"),
                   QStringLiteral("Clique aqui para executar consulta com SQL detalhada. "));
    ListBox_Campos = new QListWidget(left);
    ListBox_Campos->setObjectName(QStringLiteral("ListBox_Campos"));
    ListBox_Campos->setSelectionMode(QAbstractItemView::ExtendedSelection);
    QToolButton *transport = toolButton(
        this, QStringLiteral("ToolButton_TransportaCampos"), QStringLiteral("Inserir campos"),
        QStringLiteral(
            "Clique aqui para transportar os campos selecionados para o texto da SQL. "));
    QToolButton *system =
        toolButton(this, QStringLiteral("ToolButton_TableSystem"), QStringLiteral("Sistema"),
                   QStringLiteral("Mostra também as tabelas de sistema"));
    QToolButton *sortFields =
        toolButton(this, QStringLiteral("ToolButton_SortFields"), QStringLiteral("Ordenar"),
                   QStringLiteral("Ordena os campos por nome"));
    auto *tableButtons = new QHBoxLayout;
    tableButtons->addWidget(detailed);
    tableButtons->addWidget(system);
    tableButtons->addStretch(1);
    leftBox->addWidget(ListBox_Tabelas, 1);
    leftBox->addLayout(tableButtons);
    leftBox->addWidget(ListBox_Campos, 1);
    auto *fieldButtons = new QHBoxLayout;
    fieldButtons->addWidget(transport);
    fieldButtons->addWidget(sortFields);
    fieldButtons->addStretch(1);
    leftBox->addLayout(fieldButtons);

    connect(system, &QToolButton::clicked, this, &SqlPage::ToolButton_TableSystemClick);
    connect(sortFields, &QToolButton::clicked, this, [this] {
        ListBox_Campos->setSortingEnabled(true);
        ListBox_Campos->sortItems();
    });
    connect(ListBox_Tabelas, &QListWidget::currentRowChanged, this, &SqlPage::TableClick);
    connect(ListBox_Tabelas, &QListWidget::itemDoubleClicked, this,
            [this] { AbrirConsulta(false); });
    connect(detailed, &QToolButton::clicked, this, [this] { AbrirConsulta(true); });
    connect(ListBox_Campos, &QListWidget::itemDoubleClicked, this, &SqlPage::TransportaCampo);
    connect(transport, &QToolButton::clicked, this, &SqlPage::TransportaCampo);
    return left;
}

QWidget *SqlPage::buildEditorAndResult() {
    auto *right = new QWidget;
    auto *rightBox = new QVBoxLayout(right);
    rightBox->setContentsMargins(0, 0, 0, 0);
    RichEdit_SQL = new QPlainTextEdit(right);
    RichEdit_SQL->setObjectName(QStringLiteral("RichEdit_SQL"));
    QToolButton *clear = toolButton(this, QStringLiteral("ToolButton_ClearSQL"),
                                    QStringLiteral("Limpar"), QString());
    QToolButton *insert =
        toolButton(this, QStringLiteral("ToolButton3"), QStringLiteral("Inserir"), QString());
    auto *insertMenu = new QMenu(this);
    insertMenu->setObjectName(QStringLiteral("PopupMenu_Inserir"));
    QAction *labelScript = insertMenu->addAction(QStringLiteral("Script para etiquetas"));
    QAction *viewOfSelect = insertMenu->addAction(QStringLiteral("View de select"));
    insert->setMenu(insertMenu);
    insert->setPopupMode(QToolButton::InstantPopup);
    QToolButton *selectAll =
        toolButton(this, QStringLiteral("ToolButton_SelectAll"), QStringLiteral("Selecionar tudo"),
                   QStringLiteral("Seleciona todo o texto."));
    QToolButton *cut =
        toolButton(this, QStringLiteral("ToolButton_Cut"), QStringLiteral("Recortar"), QString());
    QToolButton *copy =
        toolButton(this, QStringLiteral("ToolButton_Copy"), QStringLiteral("Copiar"), QString());
    QToolButton *paste =
        toolButton(this, QStringLiteral("ToolButton_Paste"), QStringLiteral("Colar"), QString());
    auto *editBar = new QHBoxLayout;
    for (QToolButton *b : {clear, insert, selectAll, cut, copy, paste})
        editBar->addWidget(b);
    editBar->addStretch(1);
    auto selectAllText = [this] {
        RichEdit_SQL->setFocus();
        RichEdit_SQL->selectAll();
    };
    // Cut and Copy take the whole text when nothing is selected.
    auto wholeWhenNone = [this] {
        if (!RichEdit_SQL->textCursor().hasSelection())
            RichEdit_SQL->selectAll();
    };
    auto doCut = [this, wholeWhenNone] {
        wholeWhenNone();
        RichEdit_SQL->cut();
    };
    auto doCopy = [this, wholeWhenNone] {
        wholeWhenNone();
        RichEdit_SQL->copy();
    };
    connect(clear, &QToolButton::clicked, RichEdit_SQL, &QPlainTextEdit::clear);
    connect(selectAll, &QToolButton::clicked, this, selectAllText);
    connect(cut, &QToolButton::clicked, this, doCut);
    connect(copy, &QToolButton::clicked, this, doCopy);
    connect(paste, &QToolButton::clicked, RichEdit_SQL, &QPlainTextEdit::paste);
    auto *editorMenu = new QMenu(this);
    editorMenu->setObjectName(QStringLiteral("PopupMenu_SQL"));
    connect(editorMenu->addAction(QStringLiteral("Limpar")), &QAction::triggered, RichEdit_SQL,
            &QPlainTextEdit::clear);
    connect(editorMenu->addAction(QStringLiteral("Recortar")), &QAction::triggered, this, doCut);
    connect(editorMenu->addAction(QStringLiteral("Copiar")), &QAction::triggered, this, doCopy);
    connect(editorMenu->addAction(QStringLiteral("Colar")), &QAction::triggered, RichEdit_SQL,
            &QPlainTextEdit::paste);
    connect(editorMenu->addAction(QStringLiteral("Selecionar tudo")), &QAction::triggered, this,
            selectAllText);
    RichEdit_SQL->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(
        RichEdit_SQL, &QWidget::customContextMenuRequested, this,
        [this, editorMenu](const QPoint &at) { editorMenu->exec(RichEdit_SQL->mapToGlobal(at)); });
    connect(labelScript, &QAction::triggered, this, [this] {
        QStringList lines = RichEdit_SQL->toPlainText().split(QLatin1Char('\n'));
        ConsoleListings::ScripEtiquetas(lines);
        RichEdit_SQL->setPlainText(lines.join(QLatin1Char('\n')));
    });
    connect(viewOfSelect, &QAction::triggered, this, &SqlPage::ViewDeSelect);
    rightBox->addLayout(editBar);
    rightBox->addWidget(RichEdit_SQL, 1);

    auto *resultBar = new QHBoxLayout;
    DBNavigator_SQL = new widgets::DBNavigator(right);
    DBNavigator_SQL->setObjectName(QStringLiteral("DBNavigator_SQL"));
    DBNavigator_SQL->setHints(navigatorHints());
    ComboBox_PK = new QComboBox(right);
    ComboBox_PK->setObjectName(QStringLiteral("ComboBox_PK"));
    ComboBox_PK->setMinimumWidth(160);
    ComboBox_PK->setToolTip(QStringLiteral(
        "Informe nesta caixa o campo utilizado como chave primária na tabela "
        "selecionada,\r\npara que sejam habilitadas as opções de alterar, incluir e excluir "
        "registros.\r\n  \r\nEsta configuração será válida somente na atual sessão do "
        "database,  na próxima\r\nvez em que o banco for aberto será necessário refazer o "
        "procedimento.\r\n  \r\nNota: este recurso pode não funcionar em consultas "
        "relacionadas ou que\r\ncontenham campos calculados ou cláusulas Group By, por "
        "exemplo."));
    connect(ComboBox_PK, &QComboBox::activated, this, &SqlPage::ComboBox_PKChange);
    resultBar->addWidget(DBNavigator_SQL);
    resultBar->addWidget(new QLabel(QStringLiteral("Primary-Key: "), right));
    resultBar->addWidget(ComboBox_PK);
    auto *listings = new QWidget(right);
    listings->setObjectName(QStringLiteral("ToolBar_SQL"));
    auto *listingsBox = new QHBoxLayout(listings);
    listingsBox->setContentsMargins(0, 0, 0, 0);
    QToolButton *images =
        toolButton(this, QStringLiteral("ToolButton_Images"), QStringLiteral("Imagens"), QString());
    QToolButton *report =
        toolButton(this, QStringLiteral("ToolButton_Report"), QStringLiteral("Report"), QString());
    auto *reportMenu = new QMenu(this);
    reportMenu->setObjectName(QStringLiteral("PopupMenu_Labels"));
    const QList<QPair<const char *, void (ConsoleListings::*)()>> listingItems{
        {"Etiquetas", &ConsoleListings::Etiquetas},
        {"HTML", &ConsoleListings::SaveToHTML},
        {"DBGridToHTML", &ConsoleListings::DBGridToHTML},
        {"Report visual", &ConsoleListings::ReportVisual},
        {"Report Text", &ConsoleListings::ReportClick}};
    for (const auto &[item, command] : listingItems)
        connect(reportMenu->addAction(QString::fromUtf8(item)), &QAction::triggered, this,
                [this, command = command] { resultListing(command); });
    report->setMenu(reportMenu);
    report->setPopupMode(QToolButton::MenuButtonPopup);
    QToolButton *subQuery =
        toolButton(this, QStringLiteral("ToolButton1"), QStringLiteral("Sub-Query"), QString());
    QToolButton *sortGrid =
        toolButton(this, QStringLiteral("ToolButton2"), QStringLiteral("Sort Grid"), QString());
    for (QToolButton *b : {images, report, subQuery, sortGrid})
        listingsBox->addWidget(b);
    connect(images, &QToolButton::clicked, this,
            [this] { resultListing(&ConsoleListings::Imagens); });
    connect(report, &QToolButton::clicked, this,
            [this] { resultListing(&ConsoleListings::ReportClick); });
    connect(subQuery, &QToolButton::clicked, this,
            [this] { resultListing(&ConsoleListings::SubQuery); });
    connect(sortGrid, &QToolButton::clicked, this, &SqlPage::DBGridFields);
    resultBar->addWidget(listings);
    resultBar->addStretch(1);
    rightBox->addLayout(resultBar);
    rightBox->addWidget(new QLabel(
        QStringLiteral("Clique nos títulos das colunas para reordernar os registros"), right));
    DBGrid1 = new widgets::DBGrid(right);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setMemoButtons(true);
    DBGrid1->setCellEditing(true);
    connect(DBGrid1, &widgets::DBGrid::titleClicked, this,
            [this](int, const QString &field) { DBGrid1TitleClick(field); });
    connect(DBGrid1, &widgets::DBGrid::editButtonClicked, this,
            [this](const QString &field) { editMemo(DBGrid1, field, m_session, window()); });
    rightBox->addWidget(DBGrid1, 2);
    return right;
}

void SqlPage::bind(ConsoleSession *session, widgets::PanelStatusBar *statusBar,
                   std::function<ConsoleListingContext()> listingContext) {
    m_session = session;
    StatusBar1 = statusBar;
    m_listingContext = std::move(listingContext);
    DBGrid1->setDataSet(&session->query());
    DBNavigator_SQL->setDataSet(&session->query());
    connect(&session->query(), &db::DataSet::afterScroll, this, &SqlPage::showRecordPosition);
    connect(&session->query(), &db::DataSet::rowsFetched, this, &SqlPage::showRecordPosition);
    connect(&session->query(), &db::DataSet::afterClose, this, &SqlPage::showRecordPosition);
    connect(&session->query(), &db::DataSet::afterOpen, this, &SqlPage::keepSortedColumns);
    connect(&session->query(), &db::DataSet::afterOpen, this, &SqlPage::showCurrencies);
}

void SqlPage::showCurrencies() {
    // The statement being run is still in the editor; a reopen (a key chosen)
    // finds it empty and takes the last statement.
    QString text = RichEdit_SQL->toPlainText();
    if (text.trimmed().isEmpty())
        text = m_session->lastStatement();
    QStringList names = DirectiveValues(text, QStringLiteral("Currency"));
    for (QString &n : names)
        n = UpperTrim(n);
    const db::Query &q = m_session->query();
    for (int i = 0; i < q.fieldCount(); ++i) {
        db::Field *f = q.field(i);
        const db::FieldType t = f->dataType();
        // Fields of a like result are kept from one open to the next: each is set.
        f->setCurrency((t == db::FieldType::Float || t == db::FieldType::BCD ||
                        t == db::FieldType::Currency) &&
                       names.contains(UpperTrim(f->fieldName())));
    }
}

void SqlPage::keepSortedColumns() {
    // "Sort Grid" orders the columns of one result: a result of other fields shows
    // its own, in its own order.
    auto names = [](QStringList list) {
        for (QString &n : list)
            n = n.toUpper();
        list.sort();
        return list;
    };
    QStringList shown;
    for (const widgets::GridColumn &c : DBGrid1->dataModel()->columns())
        shown << c.fieldName;
    if (names(shown) != names(m_session->query().fieldNames()))
        DBGrid1->setColumns({});
}

QList<QWidget *> SqlPage::inputs() const {
    return {RichEdit_SQL, ListBox_Tabelas, ListBox_Campos, ComboBox_PK, DBNavigator_SQL};
}

void SqlPage::CarregaTabelas() {
    const QStringList names = db::Metadata(m_session->database()).tables(m_systemTables);
    ListBox_Tabelas->clear();
    ListBox_Tabelas->addItems(names);
    if (!names.isEmpty())
        ListBox_Tabelas->setCurrentRow(0);
    emit tablesLoaded(names);
}

void SqlPage::TableClick() {
    QListWidgetItem *item = ListBox_Tabelas->currentItem();
    if (!item)
        return;
    ListBox_Campos->setSortingEnabled(false);
    db::Query &q = m_session->query();
    q.close();
    q.setSqlText(QStringLiteral("Select * from ") + item->text());
    ListBox_Campos->clear();
    q.prepare();
    ListBox_Campos->addItems(q.fieldNames());
}

void SqlPage::resultListing(void (ConsoleListings::*command)()) {
    ConsoleListings listings(m_listingContext());
    (listings.*command)();
}

void SqlPage::showRecordPosition() {
    ShowStatus(StatusBar1, 0, recordPosition(m_session->query()));
}

void SqlPage::ToolButton_SQLClick() {
    const ConsoleSession::RunResult r = m_session->run(RichEdit_SQL->toPlainText());
    if (!r.ran)
        return;
    RichEdit_SQL->clear();
    PreencheMenu();
    if (m_session->query().active()) {
        // The key combo offers the result's fields and an empty item.
        ComboBox_PK->clear();
        QStringList items = m_session->query().fieldNames();
        items.append(QString());
        items.sort();
        ComboBox_PK->addItems(items);
        const QString table = m_session->tableOfQuery();
        const int index = m_session->keys().indexOf(table);
        ComboBox_PK->setCurrentIndex(
            index < 0 ? -1 : ComboBox_PK->findText(m_session->keys().item(index).value));
        showRecordPosition();
        DBGrid1->fitColumns();
    }
    if (r.reconnected)
        CarregaTabelas();
}

void SqlPage::ComboBox_PKChange() {
    const QString key = ComboBox_PK->currentText().trimmed();
    m_session->keys().setValue(m_session->tableOfQuery(), key);
    db::Query &q = m_session->query();
    q.close();
    m_session->prepareEditing();
    q.open();
}

void SqlPage::ToolButton_AnteriorClick() {
    const QString previous = m_session->history().previous();
    if (!previous.isNull())
        RichEdit_SQL->setPlainText(previous);
}

void SqlPage::PreencheMenu() {
    PopupMenu_Historicos->clear();
    for (const StatementHistory::MenuItem &item : m_session->history().menuItems()) {
        QAction *a = PopupMenu_Historicos->addAction(item.caption);
        a->setToolTip(item.hint);
        connect(a, &QAction::triggered, this,
                [this, statement = item.statement] { RichEdit_SQL->setPlainText(statement); });
    }
}

void SqlPage::AbrirConsulta(bool detailed) {
    QListWidgetItem *item = ListBox_Tabelas->currentItem();
    if (!item)
        return;
    const QString t = item->text();
    RichEdit_SQL->setPlainText(QStringLiteral("Select\r") + t + QStringLiteral(".*\rFrom ") + t);
    m_session->openQuery(RichEdit_SQL->toPlainText()); // the history is not touched
    if (detailed) {
        QString text = QStringLiteral("Select\r\n");
        const QStringList fields = m_session->query().fieldNames();
        for (int i = 0; i < fields.size(); ++i)
            text += t + QLatin1Char('.') + fields[i] +
                    (i + 1 < fields.size() ? QStringLiteral(",") : QString()) +
                    QStringLiteral("\r\n");
        RichEdit_SQL->setPlainText(text + QStringLiteral("From ") + t);
    }
    RichEdit_SQL->setFocus();
}

void SqlPage::TransportaCampo() {
    if (!ListBox_Campos->currentItem() || !ListBox_Tabelas->currentItem())
        return;
    QStringList selected;
    for (int i = 0; i < ListBox_Campos->count(); ++i)
        if (ListBox_Campos->item(i)->isSelected())
            selected.append(ListBox_Campos->item(i)->text());
    RichEdit_SQL->insertPlainText(FieldInsertionText(
        selected, ListBox_Tabelas->currentItem()->text(), ListBox_Tabelas->currentRow()));
    RichEdit_SQL->setFocus();
}

void SqlPage::ToolButton_TableSystemClick() {
    const bool yes = ConfirmBox(QStringLiteral(
        "Atenção!!!\rExpor tabelas de sistema é um procedimento de alto risco,\rhavendo risco de "
        "danos irreversíveis ao database,\rcaso os dados destas tabelas sejam alterados.\r"
        "Continuar com a operação?"));
    if (yes) {
        m_systemTables = true;
        {
            ScopeGuard userTablesOnly([this] { m_systemTables = false; });
            m_session->reconnect();
            CarregaTabelas();
        }
        ListBox_Tabelas->setCurrentRow(ListBox_Tabelas->count() - 1);
        for (int i = 0; i < ListBox_Tabelas->count(); ++i)
            if (UpperTrim(ListBox_Tabelas->item(i)->text()).startsWith(QLatin1String("RDB$"))) {
                ListBox_Tabelas->setCurrentRow(i);
                break;
            }
    }
    m_systemTables = false;
}

void SqlPage::DBGrid1TitleClick(const QString &fieldName) {
    db::Query &d = m_session->query();
    db::Field *f = d.findField(fieldName);
    if (!f)
        return;
    if (f->calculated()) {
        ShowMessageBox(QStringLiteral("Não é possível ordenar um campo calculado."), QString(),
                       platform::MB_OK | platform::MB_ICONINFORMATION);
        return;
    }
    if (f->isBlob()) {
        const bool memo = f->isMemo();
        ShowMessageBox(QStringLiteral("Não é possível ordenar um campo do tipo ") +
                           (memo ? QStringLiteral("MEMO.") : QStringLiteral("BLOB.")),
                       QString(), platform::MB_OK | platform::MB_ICONINFORMATION);
        return;
    }
    const QString e = db::OrderExpression(*f);
    const QString s = SortedStatement(d.objectName(), d.sqlText(), e);
    ScopedCursor wait(platform::CursorKind::SqlWait);
    d.close();
    d.setSqlText(s);
    m_session->prepareEditing();
    d.open();
}

void SqlPage::DBGridFields() {
    QStringList names = m_session->query().fieldNames();
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    QList<widgets::GridColumn> columns = DBGrid1->dataModel()->columns();
    QList<widgets::GridColumn> sorted;
    for (const QString &name : names)
        for (int i = int(columns.size()) - 1; i >= 0; --i)
            if (columns[i].fieldName.compare(name, Qt::CaseInsensitive) == 0) {
                sorted.append(columns.takeAt(i));
                break;
            }
    DBGrid1->setColumns(sorted + columns);
    DBGrid1->viewport()->update();
}

void SqlPage::ViewDeSelect() {
    const QString text = RichEdit_SQL->toPlainText();
    const QString letters = LettersOnly(text).toLower();
    if (letters.isEmpty()) {
        ShowMessageBox(QStringLiteral("Não existe uma instrução SQL para geração de view."),
                       QString(), platform::MB_OK | platform::MB_ICONINFORMATION);
        return;
    }
    if (!letters.startsWith(QLatin1String("select"))) {
        ShowMessageBox(
            QStringLiteral("Instrução para view deve iniciar com palavra-chave \"Select\"."),
            QString(), platform::MB_OK | platform::MB_ICONINFORMATION);
        return;
    }
    QString name;
    if (!platform::dialogs().inputQuery(QStringLiteral("Criar nova view"),
                                        QStringLiteral("Informe o nome da view a ser criada:"),
                                        name))
        return;
    if (name.isEmpty()) {
        ShowMessageBox(QStringLiteral("Não foi informado um nome para a view."), QString(),
                       platform::MB_OK | platform::MB_ICONINFORMATION);
        return;
    }
    db::Query temp;
    temp.setObjectName(name);
    temp.setDatabase(m_session->database());
    temp.setParamCheck(false);
    temp.setSqlText(text);
    temp.prepare();
    const QStringList columns = temp.fieldNames();
    db::Query look;
    look.setDatabase(m_session->database());
    look.setSql({QStringLiteral("SELECT * FROM RDB$RELATIONS"),
                 QStringLiteral("WHERE NOT RDB$VIEW_BLR IS NULL"),
                 QStringLiteral("and upper(RDB$RELATION_NAME)=:ViewName")});
    look.paramByName(QStringLiteral("ViewName")).setValue(name.toUpper());
    look.open();
    auto run = [this](const QString &sql) {
        db::Query q;
        q.setDatabase(m_session->database());
        q.setParamCheck(false);
        q.setSqlText(sql);
        q.execSQL();
    };
    if (!look.isEmpty()) {
        const QString stored = look.fieldByName(QStringLiteral("RDB$VIEW_SOURCE"))->asString();
        if (ViewSourceForm(stored) == ViewSourceForm(text))
            return;
        look.close();
        run(QStringLiteral("drop view ") + name.toUpper());
        run(IsCreateViewText(text) ? text
                                   : CreateViewStatement(QStringLiteral("create view"),
                                                         name.toUpper(), columns, text));
        m_session->database()->defaultTransaction()->commitRetaining();
        ShowMessageBox(QStringLiteral("Atualizada a view ") + name, QString(),
                       platform::MB_OK | platform::MB_ICONINFORMATION);
    } else {
        look.close();
        run(CreateViewStatement(QStringLiteral("Create View"), name, columns, text));
        m_session->database()->defaultTransaction()->commitRetaining();
        ShowMessageBox(QStringLiteral("Criada a view ") + name, QString(),
                       platform::MB_OK | platform::MB_ICONINFORMATION);
    }
}

} // namespace bkp::tools::console
