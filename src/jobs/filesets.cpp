#include "jobs/filesets.h"

#include "db/database.h"
#include "db/dataroutines.h"
#include "db/errors.h"
#include "db/query.h"
#include "db/table.h"
#include "lib/ui.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace bkp::jobs {

FileSetsPage::FileSetsPage(QWidget *parent) : QWidget(parent) {
    QWidget *panel = this;
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);

    Label_NewJob = new QLabel(QStringLiteral("Salve o novo backup antes de incluir pastas: "
                                             "as pastas pertencem a um backup já gravado."),
                              panel);
    Label_NewJob->setWordWrap(true);
    Label_NewJob->setStyleSheet(QStringLiteral("QLabel { color: #800000; font-weight: bold; }"));
    Label_NewJob->hide();
    layout->addWidget(Label_NewJob);

    DBNavigator1 = new widgets::DBNavigator(panel);
    DBNavigator1->beforeAction = [this](widgets::DBNavigator::Button b) {
        DBNavigator1BeforeAction(b);
    };
    layout->addWidget(DBNavigator1);

    DBGrid1 = new widgets::DBGrid(panel);
    DBGrid1->setColumns({{QStringLiteral("PASTA"), QStringLiteral("Pasta"), 250},
                         {QStringLiteral("ARQUIVOS"), QStringLiteral("Arquivos"), 250}});
    layout->addWidget(DBGrid1, 1);

    Panel_Backups_Arquivos_Edit = new QWidget(panel);
    auto *edit = new QGridLayout(Panel_Backups_Arquivos_Edit);
    edit->setColumnStretch(1, 1);
    DBEdit_PASTA = new widgets::DBEdit(Panel_Backups_Arquivos_Edit);
    DBEdit_PASTA->setCharCase(widgets::CharCase::Upper);
    auto *pastaLabel = new QLabel(QStringLiteral("Pasta"), Panel_Backups_Arquivos_Edit);
    pastaLabel->setBuddy(DBEdit_PASTA);
    BitBtn_Folder_Files = new QPushButton(Panel_Backups_Arquivos_Edit);
    BitBtn_Folder_Files->setIcon(QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon));
    BitBtn_Folder_Files->setFixedSize(25, 25);
    connect(BitBtn_Folder_Files, &QPushButton::clicked, this,
            &FileSetsPage::BitBtn_Folder_FilesClick);
    DBCheckBox1 =
        new widgets::DBCheckBox(QStringLiteral("Sub-Pastas"), Panel_Backups_Arquivos_Edit);
    DBCheckBox1->setValues(QStringLiteral("0"), QStringLiteral("1"));
    DBEdit_ARQUIVOS = new widgets::DBEdit(Panel_Backups_Arquivos_Edit);
    DBEdit_ARQUIVOS->setCharCase(widgets::CharCase::Upper);
    auto *arquivosLabel = new QLabel(QStringLiteral("Arquivos"), Panel_Backups_Arquivos_Edit);
    arquivosLabel->setBuddy(DBEdit_ARQUIVOS);
    edit->addWidget(pastaLabel, 0, 0);
    edit->addWidget(DBEdit_PASTA, 0, 1);
    edit->addWidget(BitBtn_Folder_Files, 0, 2);
    edit->addWidget(DBCheckBox1, 0, 3);
    edit->addWidget(arquivosLabel, 1, 0);
    edit->addWidget(DBEdit_ARQUIVOS, 1, 1, 1, 3);
    layout->addWidget(Panel_Backups_Arquivos_Edit);
}

void FileSetsPage::bind(const Data &data) {
    m_data = data;
    DBNavigator1->setDataSet(data.arquivos);
    DBGrid1->setDataSet(data.arquivos);
    DBEdit_PASTA->bind(data.arquivos, QStringLiteral("PASTA"));
    DBCheckBox1->bind(data.arquivos, QStringLiteral("SUBFOLDER"));
    DBEdit_ARQUIVOS->bind(data.arquivos, QStringLiteral("ARQUIVOS"));

    // The one guard of the file-set rows: none is started for a job not stored yet.
    data.arquivos->beforeInsert = [this](db::DataSet &) {
        if (jobIsNew())
            throw db::AbortError();
    };
    disconnect(data.arquivos, nullptr, this, nullptr);
    connect(data.arquivos, &db::DataSet::afterInsert, this,
            &FileSetsPage::IBQuery_ArquivosAfterInsert);
    if (data.jobs)
        connect(data.jobs, &db::DataSet::stateChanged, this, &FileSetsPage::followJobState);
    followJobState();
    data.arquivos->beforePost = [this](db::DataSet &) {
        IBQuery_ArquivosBeforePost();
    };
    connect(data.arquivos, &db::DataSet::afterPost, this, &FileSetsPage::IBQuery_ArquivosAfterPost);
}

bool FileSetsPage::jobIsNew() const {
    return m_data.jobs && m_data.jobs->state() == db::DataSetState::Insert;
}

void FileSetsPage::followJobState() {
    const bool isNew = jobIsNew();
    if (isNew == m_newJobShown)
        return;
    m_newJobShown = isNew;
    if (isNew)
        m_editPanelBeforeNewJob = Panel_Backups_Arquivos_Edit->isEnabled();
    Label_NewJob->setVisible(isNew);
    DBNavigator1->setRefused(widgets::DBNavigator::Insert, isNew);
    const QString why = isNew ? Label_NewJob->text() : QString();
    DBNavigator1->button(widgets::DBNavigator::Insert)->setToolTip(why);
    BitBtn_Folder_Files->setEnabled(!isNew);
    BitBtn_Folder_Files->setToolTip(why);
    Panel_Backups_Arquivos_Edit->setEnabled(!isNew && m_editPanelBeforeNewJob);
}

void FileSetsPage::settlePendingRow() {
    db::Query *files = m_data.arquivos;
    if (!files || !files->active())
        return;
    if (files->state() == db::DataSetState::Insert) {
        if (files->fieldByName(QStringLiteral("PASTA"))->asString().trimmed().isEmpty())
            files->cancel();
        else
            files->post();
    } else if (files->state() == db::DataSetState::Edit) {
        files->checkBrowseMode();
    }
}

void FileSetsPage::followJob() {
    db::Query *files = m_data.arquivos;
    if (!files)
        return;
    settlePendingRow();
    files->close();
    const bool hasJob =
        m_data.jobs && m_data.jobs->active() && !m_data.jobs->isEmpty() && !jobIsNew();
    // A job not stored yet has no key: its list is empty.
    files->paramByName(QStringLiteral("backup"))
        .setValue(hasJob ? m_data.jobs->fieldByName(QStringLiteral("ID"))->value() : QVariant());
    files->open();
}

void FileSetsPage::DBNavigator1BeforeAction(widgets::DBNavigator::Button button) {
    if (button == widgets::DBNavigator::Insert && jobIsNew())
        throw db::AbortError();
    const bool opens =
        button == widgets::DBNavigator::Insert || button == widgets::DBNavigator::Edit;
    Panel_Backups_Arquivos_Edit->setEnabled(opens);
    if (opens)
        DBEdit_PASTA->setFocus();
}

void FileSetsPage::IBQuery_ArquivosAfterInsert() {
    db::Query *files = m_data.arquivos;
    db::NextID(m_data.arquivosTable, files->fieldByName(QStringLiteral("ID")));
    files->fieldByName(QStringLiteral("BACKUP"))
        ->setValue(m_data.jobs->fieldByName(QStringLiteral("ID"))->value());
    files->fieldByName(QStringLiteral("SUBFOLDER"))->setValue(0);
}

void FileSetsPage::IBQuery_ArquivosBeforePost() {
    if (!updatesLinked()) {
        // Without its statements the row could not reach the database: it stays
        // in editing, nothing is lost.
        ShowMessageBox(QStringLiteral("O registro não pode ser gravado: a atualização dos "
                                      "arquivos está desligada (Tools, Update)."),
                       QString(), platform::MB_OK | platform::MB_ICONWARNING);
        throw db::AbortError();
    }
    db::NextID(m_data.arquivosTable, m_data.arquivos->fieldByName(QStringLiteral("ID")));
}

void FileSetsPage::IBQuery_ArquivosAfterPost() {
    m_data.transaction->commitRetaining();
}

void FileSetsPage::BitBtn_Folder_FilesClick() {
    db::Query *files = m_data.arquivos;
    files->edit();
    const QString chosen = platform::dialogs().selectFolder(
        QString(), files->fieldByName(QStringLiteral("PASTA"))->asString());
    if (chosen.isEmpty())
        return;
    files->fieldByName(QStringLiteral("PASTA"))->setValue(chosen);
    DBEdit_PASTA->setFocus();
}

void FileSetsPage::Update1Click() {
    if (!m_data.arquivos)
        return;
    m_data.arquivos->setUpdateObject(updatesLinked() ? nullptr : m_data.updates);
    DBNavigator1->updateButtons();
    DBNavigator1->repaint();
}

bool FileSetsPage::updatesLinked() const {
    return m_data.arquivos && m_data.arquivos->updateObject() != nullptr;
}

} // namespace bkp::jobs
