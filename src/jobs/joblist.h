#pragma once

#include "widgets/dbgrid.h"
#include "widgets/dbnavigator.h"

#include <QGroupBox>

class QLabel;

namespace bkp::db {
class Database;
class Query;
} // namespace bkp::db

namespace bkp::jobs {

// The "Backups" box at the left of the main window: a navigator, the heading that
// invites a click on a title, and the grid of the jobs by name.
class JobListBox : public QGroupBox {
    Q_OBJECT
public:
    explicit JobListBox(QWidget *parent = nullptr);

    // The job list and the database its deletions go through.
    void bind(db::Database *database, db::Query *jobs);

    // The navigator's refresh: the list read again from its first row.
    void DBNavigator2Click();
    // A click on a title orders the list by that column (again: the other way).
    void DBGrid_BackupsTitleClick(const QString &fieldName);

    widgets::DBNavigator *DBNavigator2 = nullptr;
    QLabel *Panel_Reordenar = nullptr;
    widgets::DBGrid *DBGrid_Backups = nullptr;

private:
    db::Database *m_database = nullptr;
    db::Query *m_jobs = nullptr;
};

} // namespace bkp::jobs
