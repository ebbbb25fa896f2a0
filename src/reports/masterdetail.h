#pragma once

#include <QDialog>
#include <memory>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace bkp::db {
class DataSet;
class Query;
} // namespace bkp::db
namespace bkp::widgets {
class DBGrid;
}

namespace bkp::reports {

// A master and its details: the given data set in the upper grid, and below it
// the rows of a statement the operator writes, whose parameters (":NAME") take the
// values of the master's columns of the same names. The details are read again
// whenever the master moves, for as long as the window is open.
class TfMasterDetail : public QDialog {
    Q_OBJECT
public:
    explicit TfMasterDetail(db::DataSet *master, QWidget *parent = nullptr);
    ~TfMasterDetail() override;

    // Runs the detail statement for the master's current row; errors reach the caller.
    void BitBtn_ExecutarClick();
    db::Query &detail() { return *m_detail; }

    widgets::DBGrid *DBGrid_Master = nullptr;
    QPlainTextEdit *Memo_SQL = nullptr;
    QPushButton *BitBtn_Executar = nullptr;
    widgets::DBGrid *DBGrid_Detail = nullptr;
    QLabel *Label_Status = nullptr;

private:
    void followMaster();
    void showStatus();

    db::DataSet *m_master;
    std::unique_ptr<db::Query> m_detail;
    bool m_running = false; // the detail statement has been run at least once
};

} // namespace bkp::reports
