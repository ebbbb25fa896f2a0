#pragma once

#include "jobs/jobediting.h"

#include <QObject>
#include <functional>

namespace bkp::db {
class Transaction;
}

namespace bkp::jobs {

class FileSetsPage;
class JobFtpPage;
class JobSetupPage;

// The editing of the job list through the toolbar: new, edit, save, cancel and
// delete, with the job query's events that fill a new row, check it before it is
// stored and commit after. The window follows the edit mode it reports.
class JobEditor : public QObject {
    Q_OBJECT
public:
    struct Data {
        db::Database *database = nullptr;
        db::Query *jobs = nullptr;    // IBQuery_Backups
        db::Table *backups = nullptr; // for the next free key
        db::Transaction *transaction = nullptr;
    };

    JobEditor(JobSetupPage *setup, JobFtpPage *ftp, FileSetsPage *files, QObject *parent = nullptr);

    // The queries and what a new job starts with; `defaults` is asked each time.
    void bind(const Data &data, std::function<JobDefaults()> defaults);

    void newJob();
    void editJob();
    // A row that could not be stored stays in editing and the mode says so; the
    // error is shown, but a refusal the operator was already told of is not.
    // An archiver that is no program here, or is zip, is warned about first: "Não"
    // keeps the row in editing.
    void saveJob();
    void cancelEdit();
    // Asks first, then deletes the job with its file sets.
    void deleteJob();

Q_SIGNALS:
    // The edit mode of the toolbar ("N", "E", "S", "C").
    void modeChanged(const QString &mode);
    // A row went into insert or edit: its fields are to be shown.
    void editingStarted();

private:
    void stillEditing(const QString &mode);
    // The caption beside the field's edit on the Setup or FTP page (the column's
    // name when no edit shows it).
    QString captionOf(const QString &column) const;

    JobSetupPage *m_setup;
    JobFtpPage *m_ftp;
    FileSetsPage *m_files;
    Data m_data;
    std::function<JobDefaults()> m_defaults;
};

} // namespace bkp::jobs
