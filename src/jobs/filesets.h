#pragma once

#include "widgets/dbcontrols.h"
#include "widgets/dbgrid.h"
#include "widgets/dbnavigator.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace bkp::db {
class Query;
class Table;
class Transaction;
class UpdateSQL;
} // namespace bkp::db

namespace bkp::jobs {

// The "Arquivos" page: the file sets of the current job, a navigator, a grid and
// an edit panel that opens for insert and edit.
class FileSetsPage : public QWidget {
    Q_OBJECT
public:
    struct Data {
        db::DataSet *jobs = nullptr;        // the job list whose current job is shown
        db::Query *arquivos = nullptr;      // IBQuery_Arquivos
        db::UpdateSQL *updates = nullptr;   // IBUpdateSQL_Arquivos
        db::Table *arquivosTable = nullptr; // for the next free key
        db::Transaction *transaction = nullptr;
    };

    explicit FileSetsPage(QWidget *parent = nullptr);
    // The queries the page shows and edits, once the job database is open.
    void bind(const Data &data);

    // The current job changed: its rows, ordered by folder. A row still being edited
    // is settled first (settlePendingRow).
    void followJob();
    // A row being inserted is stored when its folder is filled and dropped when it is
    // empty; an edited row is stored when it was changed. Errors reach the caller
    // with the row still in editing.
    void settlePendingRow();
    // A job not stored yet has no key of its own: its page takes no new row and says why.
    bool jobIsNew() const;

    void DBNavigator1BeforeAction(widgets::DBNavigator::Button button);
    void IBQuery_ArquivosAfterInsert();
    void IBQuery_ArquivosBeforePost();
    void IBQuery_ArquivosAfterPost();
    void BitBtn_Folder_FilesClick();
    // Unlinks the update statements from the file-set query, or links them again.
    void Update1Click();
    bool updatesLinked() const;

    widgets::DBNavigator *DBNavigator1 = nullptr;
    widgets::DBGrid *DBGrid1 = nullptr;
    QWidget *Panel_Backups_Arquivos_Edit = nullptr;
    widgets::DBEdit *DBEdit_PASTA = nullptr;
    QPushButton *BitBtn_Folder_Files = nullptr;
    widgets::DBCheckBox *DBCheckBox1 = nullptr;
    widgets::DBEdit *DBEdit_ARQUIVOS = nullptr;
    QLabel *Label_NewJob = nullptr;

private:
    void followJobState();
    Data m_data;
    bool m_editPanelBeforeNewJob = true;
    bool m_newJobShown = false;
};

} // namespace bkp::jobs
