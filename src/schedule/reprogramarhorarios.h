#pragma once

#include "db/query.h"

#include <QDialog>

class QFrame;
class QLabel;
class QSpinBox;
class QTimeEdit;

namespace bkp::jobdb {
class TDM;
}

namespace bkp::widgets {
class BitBtn;
}

namespace bkp::schedule {

using widgets::BitBtn;

// The bulk reschedule: one start time from which every job's backup and upload
// times are spread out. OK reschedules and closes; Cancel changes nothing.
class TfReprogramarHorarios : public QDialog {
    Q_OBJECT
public:
    // `jobList` is the main window's job list, read again after the reschedule.
    TfReprogramarHorarios(jobdb::TDM *dm, db::Query *jobList, QWidget *parent = nullptr);

    // The reschedule from the time shown in DateTimePicker1.
    void Ajustar();
    // Reschedules, then closes with the OK result, also when the reschedule fails
    // (its error goes on to the general error display).
    void BitBtn1Click();

    QLabel *Label1 = nullptr;
    QTimeEdit *DateTimePicker1 = nullptr;
    QLabel *Label2 = nullptr;
    // Shown as the dialog always had it; the steps between jobs are fixed.
    QSpinBox *SpinEdit1 = nullptr;
    QFrame *Panel_Buttons = nullptr;
    BitBtn *BitBtn1 = nullptr; // OK
    BitBtn *BitBtn2 = nullptr; // Cancel

    db::Query rsBackups;
    db::UpdateSQL rsBackupsUpdate;

protected:
    void showEvent(QShowEvent *event) override;

private:
    db::Query *m_jobList;
};

} // namespace bkp::schedule
