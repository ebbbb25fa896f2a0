#include "reports/masterdetail.h"

#include "db/dataset.h"
#include "db/field.h"
#include "db/query.h"
#include "widgets/dbgrid.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace bkp::reports {

TfMasterDetail::TfMasterDetail(db::DataSet *master, QWidget *parent)
    : QDialog(parent), m_master(master), m_detail(std::make_unique<db::Query>()) {
    setWindowTitle(QStringLiteral("Sub-Query"));
    resize(760, 560);
    auto *layout = new QVBoxLayout(this);
    auto *split = new QSplitter(Qt::Vertical, this);
    DBGrid_Master = new widgets::DBGrid(split);
    DBGrid_Master->setDataSet(master);
    auto *middle = new QWidget(split);
    auto *sql = new QVBoxLayout(middle);
    sql->setContentsMargins(0, 0, 0, 0);
    sql->addWidget(new QLabel(QStringLiteral("Instrução SQL dos detalhes (parâmetros :CAMPO "
                                             "recebem os valores do registro acima):"),
                              middle));
    Memo_SQL = new QPlainTextEdit(middle);
    sql->addWidget(Memo_SQL, 1);
    BitBtn_Executar = new QPushButton(QStringLiteral("Executar"), middle);
    sql->addWidget(BitBtn_Executar, 0, Qt::AlignRight);
    DBGrid_Detail = new widgets::DBGrid(split);
    DBGrid_Detail->setDataSet(m_detail.get());
    layout->addWidget(split, 1);
    Label_Status = new QLabel(this);
    layout->addWidget(Label_Status);

    if (master) {
        m_detail->setDatabase(master->database());
        m_detail->setTransaction(master->transaction());
        // The details follow the master while the window is open.
        connect(master, &db::DataSet::recordChanged, this, &TfMasterDetail::followMaster);
    }
    // The count below grows as the detail grid reads on.
    connect(m_detail.get(), &db::DataSet::rowsFetched, this, &TfMasterDetail::showStatus);
    DBGrid_Master->fitColumns();
    connect(BitBtn_Executar, &QPushButton::clicked, this, &TfMasterDetail::BitBtn_ExecutarClick);
    // The operator starts by writing the detail statement.
    Memo_SQL->setFocus();
}

TfMasterDetail::~TfMasterDetail() {
    DBGrid_Detail->setDataSet(nullptr);
}

void TfMasterDetail::BitBtn_ExecutarClick() {
    m_detail->close();
    m_detail->setSqlText(Memo_SQL->toPlainText());
    m_running = true;
    followMaster();
}

void TfMasterDetail::followMaster() {
    if (!m_running || !m_master)
        return;
    m_detail->close();
    for (db::Param &param : m_detail->params()) {
        const db::Field *f =
            m_master->active() && !m_master->isEmpty() ? m_master->findField(param.name) : nullptr;
        param.setValue(f ? f->value() : QVariant());
    }
    m_detail->open();
    DBGrid_Detail->fitColumns();
    showStatus();
}

void TfMasterDetail::showStatus() {
    if (m_master && m_detail->active())
        Label_Status->setText(QStringLiteral("Registro %1 acima: %2 registros abaixo")
                                  .arg(m_master->recNo())
                                  .arg(m_detail->recordCount()));
}

} // namespace bkp::reports
