#include "tools/fbconsole.h"

#include "db/database.h"
#include "db/dataroutines.h"
#include "db/identifiers.h"
#include "db/metadata.h"
#include "db/ordering.h"
#include "lib/datetime.h"
#include "lib/paths.h"
#include "lib/strings.h"
#include "lib/ui.h"
#include "platform/dialogs.h"
#include "platform/filesystem.h"
#include "platform/windowlookup.h"
#include "reports/memoeditor.h"
#include "tools/consolelistings.h"
#include "widgets/dbcontrols.h"
#include "widgets/dbgrid.h"
#include "widgets/dbnavigator.h"
#include "widgets/statusbar.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace bkp::tools {

namespace {
const QStringList kNavigatorHints = {
    QStringLiteral("Primeiro registro"), QStringLiteral("Registro anterior"),
    QStringLiteral("Próximo registro"),  QStringLiteral("Último registro"),
    QStringLiteral("Incluir registro"),  QStringLiteral("Excluir registro"),
    QStringLiteral("Editar registro"),   QStringLiteral("Salvar edição"),
    QStringLiteral("Cancelar edição"),   QStringLiteral("Atualizar dados")};
// "Recno n/count", empty while the data set is closed.
QString recordPosition(const db::DataSet &ds) {
    return ds.active() ? QStringLiteral("Recno %1/%2").arg(ds.recNo()).arg(ds.recordCount())
                       : QString();
}
} // namespace

TfFBConsole::TfFBConsole(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TfFBConsole"));
    setWindowTitle(QStringLiteral("FBConsole"));
    buildWindow();
}

TfFBConsole::~TfFBConsole() = default;

QToolButton *TfFBConsole::toolButton(const QString &name, const QString &caption,
                                     const QString &hint) {
    auto *b = new QToolButton(this);
    b->setObjectName(name);
    b->setText(caption);
    b->setToolTip(hint);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}

void TfFBConsole::buildWindow() {
    auto *root = new QVBoxLayout(this);
    PageControl_Master = new QTabWidget(this);
    PageControl_Master->setObjectName(QStringLiteral("PageControl_Master"));
    root->addWidget(PageControl_Master);
    StatusBar1 = new widgets::PanelStatusBar({128, 50, 50, 50}, this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    root->addWidget(StatusBar1);

    auto *sqlPage = new QWidget;
    sqlPage->setObjectName(QStringLiteral("TabSheet_SQL"));
    PageControl_Master->addTab(sqlPage, QStringLiteral("Monitor SQL"));
    auto *page = new QVBoxLayout(sqlPage);

    auto *bar = new QToolBar(sqlPage);
    bar->setObjectName(QStringLiteral("ToolBar2"));
    QToolButton *sql = toolButton(QStringLiteral("ToolButton_SQL"), QStringLiteral("SQL"),
                                  QStringLiteral("Executa instrução SQL"));
    ToolButton_Anterior =
        toolButton(QStringLiteral("ToolButton_Anterior"), QStringLiteral("Anterior"),
                   QStringLiteral("Recupera instrução SQL anterior"));
    PopupMenu_Historicos = new QMenu(this);
    PopupMenu_Historicos->setObjectName(QStringLiteral("PopupMenu_Historicos"));
    PopupMenu_Historicos->setToolTipsVisible(true);
    ToolButton_Anterior->setMenu(PopupMenu_Historicos);
    ToolButton_Anterior->setPopupMode(QToolButton::MenuButtonPopup);
    QToolButton *load = toolButton(QStringLiteral("ToolButton_LoadScript"),
                                   QStringLiteral("Carregar Script"), QString());
    QToolButton *save = toolButton(QStringLiteral("ToolButton_SaveScript"),
                                   QStringLiteral("Salvar Script"), QString());
    QToolButton *commit =
        toolButton(QStringLiteral("ToolButton_Commit"), QStringLiteral("Commit"),
                   QStringLiteral("Grava atualizações feitas no banco de dados "));
    QToolButton *rollback =
        toolButton(QStringLiteral("ToolButton_Roolback"), QStringLiteral("Roolback"), QString());
    QToolButton *refresh =
        toolButton(QStringLiteral("ToolButton_Refresh"), QStringLiteral("Refresh"),
                   QStringLiteral("Desconecta e reabre banco da dados"));
    for (QToolButton *b : {sql, ToolButton_Anterior, load, save, commit, rollback, refresh})
        bar->addWidget(b);
    page->addWidget(bar);

    auto *split = new QSplitter(Qt::Horizontal, sqlPage);
    page->addWidget(split, 1);
    auto *left = new QWidget;
    auto *leftBox = new QVBoxLayout(left);
    leftBox->setContentsMargins(0, 0, 0, 0);
    ListBox_Tabelas = new QListWidget(left);
    ListBox_Tabelas->setObjectName(QStringLiteral("ListBox_Tabelas"));
    QToolButton *detailed =
        toolButton(QStringLiteral("ToolButton_ExecutaConsulta"), QStringLiteral("Consulta"),
                   QStringLiteral("Clique aqui para executar consulta com SQL detalhada. "));
    ListBox_Campos = new QListWidget(left);
    ListBox_Campos->setObjectName(QStringLiteral("ListBox_Campos"));
    ListBox_Campos->setSelectionMode(QAbstractItemView::ExtendedSelection);
    QToolButton *transport = toolButton(
        QStringLiteral("ToolButton_TransportaCampos"), QStringLiteral("Inserir campos"),
        QStringLiteral(
            "Clique aqui para transportar os campos selecionados para o texto da SQL. "));
    QToolButton *system =
        toolButton(QStringLiteral("ToolButton_TableSystem"), QStringLiteral("Sistema"),
                   QStringLiteral("Mostra também as tabelas de sistema"));
    QToolButton *sortFields =
        toolButton(QStringLiteral("ToolButton_SortFields"), QStringLiteral("Ordenar"),
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
    connect(system, &QToolButton::clicked, this, &TfFBConsole::ToolButton_TableSystemClick);
    connect(sortFields, &QToolButton::clicked, this, [this] {
        ListBox_Campos->setSortingEnabled(true);
        ListBox_Campos->sortItems();
    });
    split->addWidget(left);

    auto *right = new QWidget;
    auto *rightBox = new QVBoxLayout(right);
    rightBox->setContentsMargins(0, 0, 0, 0);
    RichEdit_SQL = new QPlainTextEdit(right);
    RichEdit_SQL->setObjectName(QStringLiteral("RichEdit_SQL"));
    QToolButton *clear =
        toolButton(QStringLiteral("ToolButton_ClearSQL"), QStringLiteral("Limpar"), QString());
    QToolButton *insert =
        toolButton(QStringLiteral("ToolButton3"), QStringLiteral("Inserir"), QString());
    auto *insertMenu = new QMenu(this);
    insertMenu->setObjectName(QStringLiteral("PopupMenu_Inserir"));
    QAction *labelScript = insertMenu->addAction(QStringLiteral("Script para etiquetas"));
    QAction *viewOfSelect = insertMenu->addAction(QStringLiteral("View de select"));
    insert->setMenu(insertMenu);
    insert->setPopupMode(QToolButton::InstantPopup);
    QToolButton *selectAll =
        toolButton(QStringLiteral("ToolButton_SelectAll"), QStringLiteral("Selecionar tudo"),
                   QStringLiteral("Seleciona todo o texto."));
    QToolButton *cut =
        toolButton(QStringLiteral("ToolButton_Cut"), QStringLiteral("Recortar"), QString());
    QToolButton *copy =
        toolButton(QStringLiteral("ToolButton_Copy"), QStringLiteral("Copiar"), QString());
    QToolButton *paste =
        toolButton(QStringLiteral("ToolButton_Paste"), QStringLiteral("Colar"), QString());
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
    connect(viewOfSelect, &QAction::triggered, this, &TfFBConsole::ViewDeSelect);
    rightBox->addLayout(editBar);
    rightBox->addWidget(RichEdit_SQL, 1);
    auto *resultBar = new QHBoxLayout;
    DBNavigator_SQL = new widgets::DBNavigator(right);
    DBNavigator_SQL->setObjectName(QStringLiteral("DBNavigator_SQL"));
    DBNavigator_SQL->setHints(kNavigatorHints);
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
    resultBar->addWidget(DBNavigator_SQL);
    resultBar->addWidget(new QLabel(QStringLiteral("Primary-Key: "), right));
    resultBar->addWidget(ComboBox_PK);
    auto *listings = new QWidget(right);
    listings->setObjectName(QStringLiteral("ToolBar_SQL"));
    auto *listingsBox = new QHBoxLayout(listings);
    listingsBox->setContentsMargins(0, 0, 0, 0);
    QToolButton *images =
        toolButton(QStringLiteral("ToolButton_Images"), QStringLiteral("Imagens"), QString());
    QToolButton *report =
        toolButton(QStringLiteral("ToolButton_Report"), QStringLiteral("Report"), QString());
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
        toolButton(QStringLiteral("ToolButton1"), QStringLiteral("Sub-Query"), QString());
    QToolButton *sortGrid =
        toolButton(QStringLiteral("ToolButton2"), QStringLiteral("Sort Grid"), QString());
    for (QToolButton *b : {images, report, subQuery, sortGrid})
        listingsBox->addWidget(b);
    connect(images, &QToolButton::clicked, this,
            [this] { resultListing(&ConsoleListings::Imagens); });
    connect(report, &QToolButton::clicked, this,
            [this] { resultListing(&ConsoleListings::ReportClick); });
    connect(subQuery, &QToolButton::clicked, this,
            [this] { resultListing(&ConsoleListings::SubQuery); });
    connect(sortGrid, &QToolButton::clicked, this, &TfFBConsole::DBGridFields);
    resultBar->addWidget(listings);
    resultBar->addStretch(1);
    rightBox->addLayout(resultBar);
    rightBox->addWidget(new QLabel(
        QStringLiteral("Clique nos títulos das colunas para reordernar os registros"), right));
    DBGrid1 = new widgets::DBGrid(right);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setMemoButtons(true);
    connect(DBGrid1, &widgets::DBGrid::titleClicked, this,
            [this](int, const QString &field) { DBGrid1TitleClick(field); });
    connect(DBGrid1, &widgets::DBGrid::editButtonClicked, this,
            [this](const QString &field) { editMemo(DBGrid1, field); });
    rightBox->addWidget(DBGrid1, 2);
    split->addWidget(right);
    split->setStretchFactor(1, 1);

    buildTablesPage();
    buildCataloguePage(ProceduresPage, QStringLiteral("Procedure"), QStringLiteral("Procedures"),
                       {QStringLiteral("Select"), QStringLiteral("*"), QStringLiteral("from"),
                        QStringLiteral("rdb$procedures"),
                        QStringLiteral("order by RDB$PROCEDURE_NAME")},
                       QStringLiteral("RDB$PROCEDURE_NAME"), QStringLiteral("RDB$PROCEDURE_SOURCE"),
                       {{QStringLiteral("RDB$PROCEDURE_NAME"), QStringLiteral("Procedures")}});
    buildCataloguePage(TriggersPage, QStringLiteral("Trigger"), QStringLiteral("Triggers"),
                       {QStringLiteral("select"), QStringLiteral("*"),
                        QStringLiteral("from rdb$triggers"),
                        QStringLiteral("where coalesce(rdb$system_flag,0)=0"),
                        QStringLiteral("order by RDB$TRIGGER_NAME")},
                       QStringLiteral("RDB$TRIGGER_NAME"), QStringLiteral("RDB$TRIGGER_SOURCE"),
                       {{QStringLiteral("RDB$TRIGGER_NAME"), QStringLiteral("Triggers")},
                        {QStringLiteral("RDB$RELATION_NAME"), QStringLiteral("Tabela")},
                        {QStringLiteral("RDB$SYSTEM_FLAG"), QString()}});
    buildCataloguePage(ViewsPage, QStringLiteral("DBGridView"), QStringLiteral("Views"),
                       {QStringLiteral("SELECT * FROM RDB$RELATIONS"),
                        QStringLiteral("WHERE NOT RDB$VIEW_BLR IS NULL"),
                        QStringLiteral("order by RDB$RELATION_NAME")},
                       QStringLiteral("RDB$RELATION_NAME"), QStringLiteral("RDB$VIEW_SOURCE"),
                       {{QStringLiteral("RDB$RELATION_NAME"), QStringLiteral("Views")}});
    connect(PageControl_Master, &QTabWidget::currentChanged, this, [this](int page) {
        if (page == TablesPage)
            IBTable1.setReadOnly(m_session && m_session->readOnly());
        else if (page >= ProceduresPage)
            openCataloguePage(page);
    });

    connect(sql, &QToolButton::clicked, this, &TfFBConsole::ToolButton_SQLClick);
    connect(ToolButton_Anterior, &QToolButton::clicked, this,
            &TfFBConsole::ToolButton_AnteriorClick);
    connect(load, &QToolButton::clicked, this, &TfFBConsole::loadScript);
    connect(save, &QToolButton::clicked, this, &TfFBConsole::saveScript);
    connect(commit, &QToolButton::clicked, this, [this] { m_session->commit(); });
    connect(rollback, &QToolButton::clicked, this, [this] { m_session->rollback(); });
    connect(refresh, &QToolButton::clicked, this, [this] { m_session->reconnect(); });
    connect(clear, &QToolButton::clicked, RichEdit_SQL, &QPlainTextEdit::clear);
    connect(ListBox_Tabelas, &QListWidget::currentRowChanged, this, &TfFBConsole::TableClick);
    connect(ListBox_Tabelas, &QListWidget::itemDoubleClicked, this,
            [this] { AbrirConsulta(false); });
    connect(detailed, &QToolButton::clicked, this, [this] { AbrirConsulta(true); });
    connect(ListBox_Campos, &QListWidget::itemDoubleClicked, this, &TfFBConsole::TransportaCampo);
    connect(transport, &QToolButton::clicked, this, &TfFBConsole::TransportaCampo);
    connect(ComboBox_PK, &QComboBox::activated, this, &TfFBConsole::ComboBox_PKChange);
    resize(1000, 700);
}

void TfFBConsole::buildTablesPage() {
    auto *tables = new QWidget;
    tables->setObjectName(QStringLiteral("TabSheet_Tables"));
    PageControl_Master->addTab(tables, QStringLiteral("Tables"));
    auto *box = new QHBoxLayout(tables);
    ListBox_TableNames = new QListWidget(tables);
    ListBox_TableNames->setObjectName(QStringLiteral("ListBox_TableNames"));
    ListBox_TableNames->setMaximumWidth(220);
    box->addWidget(ListBox_TableNames);
    auto *right = new QVBoxLayout;
    box->addLayout(right, 1);
    ComboBox_Tabelas = new QComboBox(tables);
    ComboBox_Tabelas->setObjectName(QStringLiteral("ComboBox_Tabelas"));
    right->addWidget(ComboBox_Tabelas);
    auto *inner = new QTabWidget(tables);
    inner->setObjectName(QStringLiteral("PageControl_Tables"));
    right->addWidget(inner, 1);

    auto *data = new QWidget;
    data->setObjectName(QStringLiteral("TabSheet_Data"));
    inner->addTab(data, QStringLiteral("Data"));
    auto *dataBox = new QVBoxLayout(data);
    auto *dataBar = new QHBoxLayout;
    DBNavigator_Tabelas = new widgets::DBNavigator(data);
    DBNavigator_Tabelas->setObjectName(QStringLiteral("DBNavigator_Tabelas"));
    DBNavigator_Tabelas->setHints(kNavigatorHints);
    QToolButton *commitTable =
        toolButton(QStringLiteral("ToolButton_CommitTable"), QStringLiteral("Commit && Refresh"),
                   QStringLiteral("Salva alterações e atualiza dados da tabela."));
    QToolButton *tableImages = toolButton(QStringLiteral("ToolButton_ImagensTabelas"),
                                          QStringLiteral("Imagens"), QString());
    dataBar->addWidget(DBNavigator_Tabelas);
    dataBar->addWidget(tableImages);
    dataBar->addWidget(commitTable);
    dataBar->addStretch(1);
    dataBox->addLayout(dataBar);
    DBGrid2 = new widgets::DBGrid(data);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->setMemoButtons(true);
    connect(DBGrid2, &widgets::DBGrid::editButtonClicked, this,
            [this](const QString &field) { editMemo(DBGrid2, field); });
    dataBox->addWidget(DBGrid2, 1);
    StatusBar2 = new widgets::PanelStatusBar({120, 50, 50, 50}, data);
    StatusBar2->setObjectName(QStringLiteral("StatusBar2"));
    dataBox->addWidget(StatusBar2);

    auto *properties = new QTabWidget;
    properties->setObjectName(QStringLiteral("PageControl_Properties"));
    inner->addTab(properties, QStringLiteral("Properties"));
    RichEdit_Fields = new QPlainTextEdit;
    RichEdit_Fields->setObjectName(QStringLiteral("RichEdit_Fields"));
    RichEdit_Indexes = new QPlainTextEdit;
    RichEdit_Indexes->setObjectName(QStringLiteral("RichEdit_Indexes"));
    properties->addTab(RichEdit_Fields, QStringLiteral("Campos"));
    properties->addTab(RichEdit_Indexes, QStringLiteral("Índices"));

    IBTable1.setObjectName(QStringLiteral("IBTable1"));
    DBGrid2->setDataSet(&IBTable1);
    DBNavigator_Tabelas->setDataSet(&IBTable1);
    auto position = [this] {
        ShowStatus(StatusBar2, 0, recordPosition(IBTable1));
    };
    connect(&IBTable1, &db::DataSet::afterScroll, this, position);
    connect(tableImages, &QToolButton::clicked, this, [this, position] {
        ConsoleListingContext c = listingContext();
        c.data = &IBTable1;
        c.grid = DBGrid2;
        c.tableName = IBTable1.tableName();
        c.statusBar = StatusBar2;
        c.afterScroll = position;
        ConsoleListings(std::move(c)).Imagens();
    });
    connect(ListBox_TableNames, &QListWidget::currentTextChanged, this, &TfFBConsole::AbreTabela);
    connect(ComboBox_Tabelas, &QComboBox::activated, this,
            [this] { AbreTabela(ComboBox_Tabelas->currentText()); });
    connect(ListBox_TableNames, &QListWidget::itemDoubleClicked, this,
            [this] { AbrirConsulta(false); });
    connect(commitTable, &QToolButton::clicked, this, [this] {
        // A full commit closes the data sets of the transaction; the table opens again.
        IBTable1.transaction()->commit();
        IBTable1.open();
    });
}

void TfFBConsole::buildCataloguePage(Page page, const QString &name, const QString &caption,
                                     const QStringList &sql, const QString &nameField,
                                     const QString &sourceField,
                                     const QList<QPair<QString, QString>> &columns) {
    auto *w = new QWidget;
    w->setObjectName(QStringLiteral("TabSheet_") + caption);
    PageControl_Master->addTab(w, caption);
    auto *box = new QVBoxLayout(w);
    auto *bar = new QHBoxLayout;
    box->addLayout(bar);
    QToolButton *remove = nullptr;
    if (page == ProceduresPage)
        remove =
            toolButton(QStringLiteral("ToolButton_RemoverProcedure"), QStringLiteral("Remover"),
                       QStringLiteral("Clique aqui para remover a procedure selecionada."));
    else if (page == TriggersPage)
        remove = toolButton(QStringLiteral("ToolButton_RemoverTrigger"), QStringLiteral("Remover"),
                            QStringLiteral("Clique aqui para remover a triger selecionada."));
    else {
        QToolButton *run = toolButton(QStringLiteral("ToolButton_DBGridViewExecutar"),
                                      QStringLiteral("Executar"), QString());
        bar->addWidget(run);
        connect(run, &QToolButton::clicked, this, &TfFBConsole::ToolButton_DBGridViewExecutarClick);
        remove =
            toolButton(QStringLiteral("ToolButton_DBGridViewRemover"), QStringLiteral("Remover"),
                       QStringLiteral("Clique aqui para remover a view selecionada do database."));
        remove->setEnabled(false); // decided when the window is shown
    }
    bar->addWidget(remove);
    bar->addStretch(1);
    connect(remove, &QToolButton::clicked, this, [this, page] { removeCatalogueRow(page); });

    auto *split = new QSplitter(Qt::Horizontal, w);
    box->addWidget(split, 1);
    db::Query &q = *m_catalogue[page];
    q.setObjectName(QStringLiteral("IB") + caption);
    q.setSql(sql);
    auto *grid = new widgets::DBGrid(split);
    grid->setObjectName(QStringLiteral("DBGrid_") + name);
    QList<widgets::GridColumn> cols;
    for (const auto &c : columns)
        cols.append({c.first, c.second, c.first == nameField ? 200 : 120});
    grid->setColumns(cols);
    grid->setDataSet(&q);
    m_catalogueGrid[page] = grid;
    m_catalogueName[page] = nameField;
    auto *right = new QWidget(split);
    auto *rightBox = new QVBoxLayout(right);
    rightBox->addWidget(new QLabel(QStringLiteral("SQL"), right));
    auto *memo = new widgets::DBMemo(right);
    memo->setObjectName(QStringLiteral("DBMemo_") + QString(sourceField).remove(QLatin1Char('$')));
    memo->setReadOnly(true);
    memo->bind(&q, sourceField);
    rightBox->addWidget(memo, 1);
    split->setStretchFactor(1, 1);
}

void TfFBConsole::openCataloguePage(int page) {
    db::Query &q = *m_catalogue[page];
    if (!q.active()) {
        ScopedCursor wait(platform::CursorKind::SqlWait);
        q.close();
        q.open();
    }
    m_catalogueGrid[page]->setFocus();
}

void TfFBConsole::removeCatalogueRow(int page) {
    db::Query &q = *m_catalogue[page];
    if (page == ViewsPage) {
        if (q.isEmpty()) {
            ShowMessageBox(QStringLiteral("Não existem Views cadastradas neste database."));
            return;
        }
        if (!ConfirmBox(QStringLiteral("Atenção:\rA remoção indevida de uma view pode causar\r"
                                       "problemas nos aplictivos que utilizam este database.\r\r"
                                       "Confirma a operação?")))
            return;
        RichEdit_SQL->setPlainText(
            QStringLiteral("Drop View ") +
            db::QuoteIdentifier(q.fieldByName(m_catalogueName[page])->asString().trimmed()));
        PageControl_Master->setCurrentIndex(SqlPage);
        try {
            ToolButton_SQLClick();
        } catch (...) {
            m_session->setPending();
            q.close();
            q.open();
            throw;
        }
        m_session->setPending();
        q.close();
        q.open();
        return;
    }
    if (q.isEmpty())
        return;
    const QString name = q.fieldByName(m_catalogueName[page])->asString().trimmed();
    const bool procedure = page == ProceduresPage;
    if (!ConfirmBox((procedure ? QStringLiteral("Confirma exclusão da procedure ")
                               : QStringLiteral("Confirma exclusão da trigger ")) +
                    UpperTrim(name) + QLatin1Char('?')))
        return;
    db::ExecSQL(m_session->database(),
                (procedure ? QStringLiteral("drop procedure ") : QStringLiteral("drop trigger ")) +
                    db::QuoteIdentifier(name));
    q.close();
    q.open();
}

void TfFBConsole::ToolButton_DBGridViewExecutarClick() {
    db::Query &q = IBViews;
    if (!q.active())
        openCataloguePage(ViewsPage);
    if (q.isEmpty()) {
        ShowMessageBox(QStringLiteral("Não existem Views cadastradas neste database."));
        return;
    }
    const QString v =
        q.fieldByName(QStringLiteral("RDB$RELATION_NAME"))->asString().trimmed().toLower();
    PageControl_Master->setCurrentIndex(SqlPage);
    RichEdit_SQL->setPlainText(QStringLiteral("Select \r\n") + v +
                               QStringLiteral(".*\r\nFrom\r\n") + v);
    ToolButton_SQLClick();
}

void TfFBConsole::ToolButton_TableSystemClick() {
    const bool yes = ConfirmBox(QStringLiteral(
        "Atenção!!!\rExpor tabelas de sistema é um procedimento de alto risco,\rhavendo risco de "
        "danos irreversíveis ao database,\rcaso os dados destas tabelas sejam alterados.\r"
        "Continuar com a operação?"));
    if (yes) {
        m_systemTables = true;
        try {
            m_session->reconnect();
            CarregaTabelas();
        } catch (...) {
            m_systemTables = false;
            throw;
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

void TfFBConsole::DBGrid1TitleClick(const QString &fieldName) {
    db::Query &d = m_session->query();
    db::Field *f = d.findField(fieldName);
    if (!f)
        return;
    if (f->calculated()) {
        ShowMessageBox(QStringLiteral("Não é possível ordenar um campo calculado."));
        return;
    }
    if (f->isBlob()) {
        const bool memo = f->isMemo();
        ShowMessageBox(QStringLiteral("Não é possível ordenar um campo do tipo ") +
                       (memo ? QStringLiteral("MEMO.") : QStringLiteral("BLOB.")));
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

void TfFBConsole::DBGridFields() {
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

void TfFBConsole::editMemo(widgets::DBGrid *grid, const QString &fieldName) {
    db::DataSet *ds = grid->dataSet();
    db::Field *f = ds ? ds->findField(fieldName) : nullptr;
    if (!ds || ds->isEmpty() || !f || !f->isMemo())
        return;
    if (reports::TfMemoEditor::Execute(ds, fieldName, this) == 1)
        m_session->setPending();
}

void TfFBConsole::ViewDeSelect() {
    const QString text = RichEdit_SQL->toPlainText();
    const QString letters = LettersOnly(text).toLower();
    if (letters.isEmpty()) {
        ShowMessageBox(QStringLiteral("Não existe uma instrução SQL para geração de view."));
        return;
    }
    if (!letters.startsWith(QLatin1String("select"))) {
        ShowMessageBox(
            QStringLiteral("Instrução para view deve iniciar com palavra-chave \"Select\"."));
        return;
    }
    QString name;
    if (!platform::dialogs().inputQuery(QStringLiteral("Criar nova view"),
                                        QStringLiteral("Informe o nome da view a ser criada:"),
                                        name))
        return;
    if (name.isEmpty()) {
        ShowMessageBox(QStringLiteral("Não foi informado um nome para a view."));
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
        ShowMessageBox(QStringLiteral("Atualizada a view ") + name);
    } else {
        look.close();
        run(CreateViewStatement(QStringLiteral("Create View"), name, columns, text));
        m_session->database()->defaultTransaction()->commitRetaining();
        ShowMessageBox(QStringLiteral("Criada a view ") + name);
    }
}

void TfFBConsole::AbreTabela(const QString &table) {
    if (table.isEmpty())
        return;
    IBTable1.close();
    IBTable1.setTableName(table);
    ComboBox_Tabelas->setCurrentText(table); // both choosers show the open table
    ShowStatus(StatusBar2, 3, QStringLiteral("Abrindo ") + table + QStringLiteral("..."));
    IBTable1.open();
    DBGrid2->fitColumns();
    ShowStatus(StatusBar2, 0, recordPosition(IBTable1));
    ShowStatus(StatusBar2, 3, QString());
    RichEdit_Fields->setPlainText(IBTable1.fieldNames().join(QLatin1Char('\n')));
    RichEdit_Indexes->setPlainText(IBTable1.indexNames().join(QLatin1Char('\n')));
}

void TfFBConsole::Prepare(db::Database *database, const QString &company, bool readOnly,
                          const QString &user) {
    m_company = company;
    m_user = user;
    m_session = std::make_unique<ConsoleSession>(database, readOnly, StatusBar1);
    DBGrid1->setDataSet(&m_session->query());
    for (db::DataSet *ds :
         {static_cast<db::DataSet *>(&IBTable1), static_cast<db::DataSet *>(&IBProcedures),
          static_cast<db::DataSet *>(&IBTriggers), static_cast<db::DataSet *>(&IBViews)})
        ds->setDatabase(database);
    DBNavigator_SQL->setDataSet(&m_session->query());
    connect(&m_session->query(), &db::DataSet::afterScroll, this, &TfFBConsole::showRecordPosition);
    connect(&m_session->query(), &db::DataSet::rowsFetched, this, &TfFBConsole::showRecordPosition);
    setWindowTitle(ConsoleCaption(company, user, database->databaseName()));
    PageControl_Master->setCurrentIndex(0);
    // Removing views is offered only while the form designer's window is open.
    findChild<QToolButton *>(QStringLiteral("ToolButton_DBGridViewRemover"))
        ->setEnabled(platform::FindWindow(QStringLiteral("TAppBuilder")));
    ShowStatus(StatusBar1, 3, database->databaseName());
    CarregaTabelas();
    RichEdit_SQL->clear();
    RichEdit_SQL->setFocus();
}

int TfFBConsole::ShowForm(db::Database *database, const QString &company, bool readOnly,
                          const QString &user) {
    Prepare(database, company, readOnly, user);
    return exec();
}

void TfFBConsole::Execute(db::Database *database, const QString &company, bool readOnly,
                          const QString &user, QWidget *parent) {
    TfFBConsole console(parent);
    console.ShowForm(database, company, readOnly, user);
}

void TfFBConsole::CarregaTabelas() {
    const QStringList names = db::Metadata(m_session->database()).tables(m_systemTables);
    ListBox_Tabelas->clear();
    ListBox_Tabelas->addItems(names);
    if (!names.isEmpty())
        ListBox_Tabelas->setCurrentRow(0);
    // The same names on the Tables page, none of them opened yet.
    QSignalBlocker quiet(ListBox_TableNames);
    ListBox_TableNames->clear();
    ListBox_TableNames->addItems(names);
    ComboBox_Tabelas->clear();
    ComboBox_Tabelas->addItems(names);
    if (!names.isEmpty())
        ListBox_TableNames->setCurrentRow(0);
}

void TfFBConsole::TableClick() {
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

ConsoleListingContext TfFBConsole::listingContext() {
    ConsoleListingContext c;
    c.data = &m_session->query();
    c.grid = DBGrid1;
    // The editor keeps bare line feeds; the listings break the statement's lines at
    // carriage return + line feed, as it was typed.
    QString statement = m_session->lastStatement();
    statement.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    statement.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    c.lastStatement = statement;
    c.tableName = m_session->tableOfQuery();
    c.company = m_company;
    c.user = m_user;
    c.databaseName = m_session->database()->databaseName();
    c.statusBar = StatusBar1;
    c.window = this;
    // What the grid export switches off while it runs: everything the operator
    // could start something with; the grid stays lit under its progress bar.
    c.controls.append(PageControl_Master->tabBar());
    for (QWidget *w : findChildren<QWidget *>())
        if ((qobject_cast<QToolButton *>(w) &&
             w->objectName().startsWith(QLatin1String("ToolButton"))) ||
            w == RichEdit_SQL || w == ListBox_Tabelas || w == ListBox_Campos || w == ComboBox_PK ||
            w == DBNavigator_SQL)
            c.controls.append(w);
    c.title = DirectiveValue(statement, QStringLiteral("Title"));
    c.subtitle = DirectiveValue(statement, QStringLiteral("SubTitle"));
    c.group = DirectiveValue(statement, QStringLiteral("Group"));
    c.sums = DirectiveValues(statement, QStringLiteral("Sum"));
    c.afterScroll = [this] {
        showRecordPosition();
    };
    return c;
}

void TfFBConsole::resultListing(void (ConsoleListings::*command)()) {
    ConsoleListings listings(listingContext());
    (listings.*command)();
}

void TfFBConsole::showRecordPosition() {
    const db::Query &q = m_session->query();
    ShowStatus(StatusBar1, 0, recordPosition(q));
}

void TfFBConsole::ToolButton_SQLClick() {
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
        ShowTables();
}

void TfFBConsole::ShowTables() {
    CarregaTabelas();
}

void TfFBConsole::ComboBox_PKChange() {
    const QString key = ComboBox_PK->currentText().trimmed();
    m_session->keys().setValue(m_session->tableOfQuery(), key);
    db::Query &q = m_session->query();
    q.close();
    m_session->prepareEditing();
    q.open();
}

void TfFBConsole::ToolButton_AnteriorClick() {
    const QString previous = m_session->history().previous();
    if (!previous.isNull())
        RichEdit_SQL->setPlainText(previous);
}

void TfFBConsole::PreencheMenu() {
    PopupMenu_Historicos->clear();
    for (const StatementHistory::MenuItem &item : m_session->history().menuItems()) {
        QAction *a = PopupMenu_Historicos->addAction(item.caption);
        a->setToolTip(item.hint);
        connect(a, &QAction::triggered, this,
                [this, hint = item.hint] { RichEdit_SQL->setPlainText(hint); });
    }
}

void TfFBConsole::AbrirConsulta(bool detailed) {
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

void TfFBConsole::TransportaCampo() {
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

void TfFBConsole::loadScript() {
    const QString file = platform::dialogs().openFileName(QStringLiteral("Carregar script SQL"),
                                                          AppSubFolder(QStringLiteral("Scripts")),
                                                          QStringLiteral("SQL Files|*.sql"));
    if (file.isEmpty())
        return;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        ShowMessageBox(QStringLiteral("Não foi possível abrir o script ") + file +
                           QStringLiteral("\r\rOcorrência:\r") + f.errorString(),
                       QString(), platform::MB_OK | platform::MB_ICONERROR);
        return;
    }
    RichEdit_SQL->setPlainText(QString::fromUtf8(f.readAll()));
}

void TfFBConsole::saveScript() {
    if (RichEdit_SQL->toPlainText().isEmpty()) {
        ShowMessageBox(QStringLiteral("Não há nenhuma instrução SQL para ser salva."));
        return;
    }
    const QString file = platform::dialogs().saveFileName(
        QStringLiteral("Salvar script SQL"), AppSubFolder(QStringLiteral("Scripts")),
        QStringLiteral("SQL Files|*.sql"), QStringLiteral("SQL"));
    if (file.isEmpty())
        return;
    const QFileInfo info(file);
    const QString backup = info.dir().filePath(info.completeBaseName() + QStringLiteral(".bkp"));
    platform::fs::deleteFile(backup);
    if (platform::fs::fileExists(file))
        platform::fs::renameFile(file, backup);
    QFile f(file);
    // Told when it fails: the earlier script is in the ".bkp" copy by now.
    if (!f.open(QIODevice::WriteOnly) || f.write(RichEdit_SQL->toPlainText().toUtf8()) < 0 ||
        !f.flush())
        ShowMessageBox(QStringLiteral("Não foi possível salvar o script ") + file +
                           QStringLiteral("\r\rOcorrência:\r") + f.errorString(),
                       QString(), platform::MB_OK | platform::MB_ICONERROR);
}

void TfFBConsole::AutoSaveScripts() {
    const QString name = AutoSaveFileName(Now());
    const QString path = AppSubFolder(QStringLiteral("Scripts/Auto"), name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) ||
        f.write(AutoSaveText(m_session->history().entries()).toUtf8()) < 0)
        ShowMessageBox(QStringLiteral("Não foi possível salvar o arquivo de scripts\r") + name +
                       QStringLiteral("\r\rOcorrência:\r") + f.errorString());
}

void TfFBConsole::done(int result) {
    if (m_session && m_session->pending()) {
        const int answer = ShowMessageBox(
            QStringLiteral("Confirma alterações feitas no banco de dados?"),
            QStringLiteral("Confirmar alterações"),
            platform::MB_YESNO | platform::MB_ICONWARNING | platform::MB_DEFBUTTON2, this);
        if (answer == platform::IDYES)
            m_session->commit();
        else
            m_session->rollback();
    }
    if (m_session)
        AutoSaveScripts();
    QDialog::done(result);
}

} // namespace bkp::tools
