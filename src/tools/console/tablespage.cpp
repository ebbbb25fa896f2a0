#include "tools/console/tablespage.h"

#include "db/database.h"
#include "lib/ui.h"
#include "tools/console/pagetools.h"
#include "tools/consolesession.h"
#include "widgets/dbgrid.h"
#include "widgets/dbnavigator.h"
#include "widgets/statusbar.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace bkp::tools::console {

TablesPage::TablesPage(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabSheet_Tables"));
    auto *box = new QHBoxLayout(this);
    ListBox_TableNames = new QListWidget(this);
    ListBox_TableNames->setObjectName(QStringLiteral("ListBox_TableNames"));
    ListBox_TableNames->setMaximumWidth(220);
    box->addWidget(ListBox_TableNames);
    auto *right = new QVBoxLayout;
    box->addLayout(right, 1);
    ComboBox_Tabelas = new QComboBox(this);
    ComboBox_Tabelas->setObjectName(QStringLiteral("ComboBox_Tabelas"));
    right->addWidget(ComboBox_Tabelas);
    auto *inner = new QTabWidget(this);
    inner->setObjectName(QStringLiteral("PageControl_Tables"));
    right->addWidget(inner, 1);

    auto *data = new QWidget;
    data->setObjectName(QStringLiteral("TabSheet_Data"));
    inner->addTab(data, QStringLiteral("Data"));
    buildData(data);

    auto *properties = new QTabWidget;
    properties->setObjectName(QStringLiteral("PageControl_Properties"));
    inner->addTab(properties, QStringLiteral("Properties"));
    RichEdit_Fields = new QPlainTextEdit;
    RichEdit_Fields->setObjectName(QStringLiteral("RichEdit_Fields"));
    RichEdit_Indexes = new QPlainTextEdit;
    RichEdit_Indexes->setObjectName(QStringLiteral("RichEdit_Indexes"));
    properties->addTab(RichEdit_Fields, QStringLiteral("Campos"));
    properties->addTab(RichEdit_Indexes, QStringLiteral("Índices"));

    connect(ListBox_TableNames, &QListWidget::currentTextChanged, this, &TablesPage::AbreTabela);
    connect(ComboBox_Tabelas, &QComboBox::activated, this,
            [this] { AbreTabela(ComboBox_Tabelas->currentText()); });
    connect(ListBox_TableNames, &QListWidget::itemDoubleClicked, this, &TablesPage::queryRequested);
}

void TablesPage::buildData(QWidget *data) {
    auto *dataBox = new QVBoxLayout(data);
    auto *dataBar = new QHBoxLayout;
    DBNavigator_Tabelas = new widgets::DBNavigator(data);
    DBNavigator_Tabelas->setObjectName(QStringLiteral("DBNavigator_Tabelas"));
    DBNavigator_Tabelas->setHints(navigatorHints());
    QToolButton *commitTable = toolButton(
        this, QStringLiteral("ToolButton_CommitTable"), QStringLiteral("Commit && Refresh"),
        QStringLiteral("Salva alterações e atualiza dados da tabela."));
    QToolButton *tableImages = toolButton(this, QStringLiteral("ToolButton_ImagensTabelas"),
                                          QStringLiteral("Imagens"), QString());
    dataBar->addWidget(DBNavigator_Tabelas);
    dataBar->addWidget(tableImages);
    dataBar->addWidget(commitTable);
    dataBar->addStretch(1);
    dataBox->addLayout(dataBar);
    DBGrid2 = new widgets::DBGrid(data);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->setMemoButtons(true);
    DBGrid2->setCellEditing(true);
    connect(DBGrid2, &widgets::DBGrid::editButtonClicked, this,
            [this](const QString &field) { editMemo(DBGrid2, field, m_session, window()); });
    dataBox->addWidget(DBGrid2, 1);
    StatusBar2 = new widgets::PanelStatusBar({120, 50, 50, 50}, data);
    StatusBar2->setObjectName(QStringLiteral("StatusBar2"));
    dataBox->addWidget(StatusBar2);

    IBTable1.setObjectName(QStringLiteral("IBTable1"));
    DBGrid2->setDataSet(&IBTable1);
    DBNavigator_Tabelas->setDataSet(&IBTable1);
    connect(&IBTable1, &db::DataSet::afterScroll, this, &TablesPage::showRecordPosition);
    connect(tableImages, &QToolButton::clicked, this, [this] {
        ConsoleListingContext c = m_listingContext();
        c.data = &IBTable1;
        c.grid = DBGrid2;
        c.tableName = IBTable1.tableName();
        c.statusBar = StatusBar2;
        c.afterScroll = [this] {
            showRecordPosition();
        };
        ConsoleListings(std::move(c)).Imagens();
    });
    connect(commitTable, &QToolButton::clicked, this, [this] {
        // A full commit closes the data sets of the transaction; the table opens again.
        IBTable1.transaction()->commit();
        m_session->committed();
        IBTable1.open();
    });
}

void TablesPage::bind(ConsoleSession *session,
                      std::function<ConsoleListingContext()> listingContext) {
    m_session = session;
    m_listingContext = std::move(listingContext);
    IBTable1.setDatabase(session->database());
}

void TablesPage::showRecordPosition() {
    ShowStatus(StatusBar2, 0, recordPosition(IBTable1));
}

void TablesPage::setTables(const QStringList &names) {
    QSignalBlocker quiet(ListBox_TableNames);
    ListBox_TableNames->clear();
    ListBox_TableNames->addItems(names);
    ComboBox_Tabelas->clear();
    ComboBox_Tabelas->addItems(names);
    if (!names.isEmpty())
        ListBox_TableNames->setCurrentRow(0);
}

void TablesPage::AbreTabela(const QString &table) {
    if (table.isEmpty())
        return;
    IBTable1.close();
    IBTable1.setTableName(table);
    ComboBox_Tabelas->setCurrentText(table); // both choosers show the open table
    ShowStatus(StatusBar2, 3, QStringLiteral("Abrindo ") + table + QStringLiteral("..."));
    IBTable1.open();
    DBGrid2->fitColumns();
    showRecordPosition();
    ShowStatus(StatusBar2, 3, QString());
    RichEdit_Fields->setPlainText(IBTable1.fieldNames().join(QLatin1Char('\n')));
    RichEdit_Indexes->setPlainText(IBTable1.indexNames().join(QLatin1Char('\n')));
}

} // namespace bkp::tools::console
