#include "jobs/jobeditor.h"

#include "db/database.h"
#include "db/errors.h"
#include "db/query.h"
#include "jobs/filesets.h"
#include "jobs/jobpanels.h"
#include "lib/scopeguard.h"
#include "lib/ui.h"
#include "widgets/dbcontrols.h"
#include "widgets/fieldlink.h"

#include <QLabel>

namespace bkp::jobs {

JobEditor::JobEditor(JobSetupPage *setup, JobFtpPage *ftp, FileSetsPage *files, QObject *parent)
    : QObject(parent), m_setup(setup), m_ftp(ftp), m_files(files) {}

void JobEditor::bind(const Data &data, std::function<JobDefaults()> defaults) {
    m_data = data;
    m_defaults = std::move(defaults);
    db::Query &jobs = *data.jobs;
    // Bound again after a reconnect: the old connections go first.
    disconnect(&jobs, nullptr, this, nullptr);
    jobs.beforeOpen = [this](db::DataSet &) {
        m_ftp->resetPassiveValues();
    };
    connect(&jobs, &db::DataSet::afterInsert, this, [this] {
        Q_EMIT editingStarted();
        IBQuery_BackupsAfterInsert(*m_data.jobs, m_data.backups, m_defaults());
        m_setup->focusName();
    });
    connect(&jobs, &db::DataSet::afterEdit, this, [this] {
        Q_EMIT editingStarted();
        IBQuery_BackupsAfterEdit(*m_data.jobs, m_defaults());
        m_setup->focusName();
    });
    jobs.beforePost = [this](db::DataSet &ds) {
        IBQuery_BackupsBeforePost(ds, m_data.backups, m_setup->tipoIndex());
    };
    connect(&jobs, &db::DataSet::afterPost, this, [this] {
        m_data.transaction->commitRetaining();
        // A new job has its own key now: its file sets can be added.
        m_files->followJob();
    });
    connect(&jobs, &db::DataSet::afterDelete, this,
            [this] { m_data.transaction->commitRetaining(); });
}

void JobEditor::newJob() {
    Q_EMIT modeChanged(QStringLiteral("N"));
    m_data.jobs->append();
}

void JobEditor::editJob() {
    Q_EMIT modeChanged(QStringLiteral("E"));
    m_data.jobs->edit();
}

void JobEditor::saveJob() {
    db::Query &jobs = *m_data.jobs;
    const QString before =
        jobs.state() == db::DataSetState::Insert ? QStringLiteral("N") : QStringLiteral("E");
    // An archiver that cannot make this job's backups is said before it is stored;
    // the operator may still store it (the program may be installed later).
    if (jobs.state() == db::DataSetState::Insert || jobs.state() == db::DataSetState::Edit) {
        const QString warning = ArchiverSaveWarning(jobs);
        if (!warning.isEmpty() && !ConfirmBox(warning + QStringLiteral("\n\nSalvar assim mesmo?"),
                                              QStringLiteral("Compactador"), true))
            return;
    }
    Q_EMIT modeChanged(QStringLiteral("S"));
    try {
        // Whatever stops the save, the job stays in its edit mode.
        ScopeGuard stayEditing([&] { stillEditing(before); });
        jobs.post();
        m_data.transaction->commitRetaining();
        stayEditing.dismiss();
    } catch (const db::AbortError &) {
    } catch (const db::ValueTooLongError &e) {
        // The column's name means nothing to the operator: the page's caption does.
        const QString column = e.field();
        ShowMessageBox(JobValueTooLongText(jobs, column, captionOf(column), e.limit()), QString(),
                       platform::MB_OK | platform::MB_ICONERROR);
    } catch (const std::exception &e) {
        ShowMessageBox(db::ErrorText(e), QString(), platform::MB_OK | platform::MB_ICONERROR);
    }
}

QString JobEditor::captionOf(const QString &column) const {
    const auto shows = [&column](QWidget *w) {
        auto *edit = qobject_cast<widgets::DBEdit *>(w);
        return edit && edit->link()->fieldName().compare(column, Qt::CaseInsensitive) == 0;
    };
    for (QWidget *page : {static_cast<QWidget *>(m_setup), static_cast<QWidget *>(m_ftp)})
        for (const QLabel *label : page->findChildren<QLabel *>()) {
            // The label's buddy is the edit, or the row that holds it with its button.
            QWidget *buddy = label->buddy();
            if (!buddy)
                continue;
            bool found = shows(buddy);
            for (QWidget *inner : buddy->findChildren<QWidget *>())
                found = found || shows(inner);
            if (found)
                return label->text().remove(QLatin1Char('&'));
        }
    return column;
}

void JobEditor::stillEditing(const QString &mode) {
    // A row that could not be stored is still being edited: the toolbar says so.
    const db::DataSetState s = m_data.jobs->state();
    if (s == db::DataSetState::Insert || s == db::DataSetState::Edit)
        Q_EMIT modeChanged(mode);
}

void JobEditor::cancelEdit() {
    Q_EMIT modeChanged(QStringLiteral("C"));
    m_data.jobs->cancel();
}

void JobEditor::deleteJob() {
    db::Query &jobs = *m_data.jobs;
    if (!jobs.active() || jobs.isEmpty())
        return;
    const QString text = QStringLiteral("Confirma a exclusão do backup ") +
                         jobs.fieldByName(QStringLiteral("BACKUPNAME"))->asString() +
                         QStringLiteral("?");
    if (!ConfirmBox(text, QStringLiteral("Excluir registro"), true))
        return;
    DeleteJob(m_data.database, jobs);
}

} // namespace bkp::jobs
