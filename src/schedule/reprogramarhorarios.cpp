#include "schedule/reprogramarhorarios.h"

#include "schedule/reschedule.h"
#include "widgets/buttonrow.h"
#include "widgets/infobackground.h"
#include "widgets/qtdialogs.h"

#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <climits>

namespace bkp::schedule {

TfReprogramarHorarios::TfReprogramarHorarios(jobdb::TDM *dm, db::Query *jobList, QWidget *parent)
    : QDialog(parent), m_jobList(jobList) {
    setObjectName(QStringLiteral("fReprogramarHorarios"));
    setWindowTitle(QStringLiteral("Reprogramar horários"));
    widgets::UseDialogFrame(this);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);

    auto *layout = new QVBoxLayout(this);
    auto *fields = new QGridLayout;
    Label1 = new QLabel(QStringLiteral("Horário inicial"), this);
    DateTimePicker1 = new QTimeEdit(QTime(20, 0, 0), this);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    DateTimePicker1->setFixedWidth(200);
    widgets::setInfoBackground(DateTimePicker1);
    Label1->setBuddy(DateTimePicker1);
    Label2 = new QLabel(QStringLiteral("Intervalo (minutos):"), this);
    SpinEdit1 = new QSpinBox(this);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setRange(INT_MIN, INT_MAX);
    SpinEdit1->setValue(0);
    SpinEdit1->setFixedWidth(200);
    widgets::setInfoBackground(SpinEdit1);
    Label2->setBuddy(SpinEdit1);
    fields->addWidget(Label1, 0, 0);
    fields->addWidget(DateTimePicker1, 0, 1);
    fields->addWidget(Label2, 1, 0);
    fields->addWidget(SpinEdit1, 1, 1);
    layout->addLayout(fields);

    Panel_Buttons = new QFrame(this);
    Panel_Buttons->setObjectName(QStringLiteral("Panel_Buttons"));
    Panel_Buttons->setFixedHeight(41);
    BitBtn1 = new BitBtn(BitBtn::Kind::OK, Panel_Buttons);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    connect(BitBtn1, &QPushButton::clicked, this, &TfReprogramarHorarios::BitBtn1Click);
    BitBtn2 = new BitBtn(BitBtn::Kind::Cancel, Panel_Buttons);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(Panel_Buttons);

    // Sized to its contents.
    setFixedSize(sizeHint());
    SetupRsBackups(rsBackups, rsBackupsUpdate, dm);
}

void TfReprogramarHorarios::Ajustar() {
    schedule::Ajustar(rsBackups, FromQTime(DateTimePicker1->time()), m_jobList);
}

void TfReprogramarHorarios::BitBtn1Click() {
    // The OK result stands before the reschedule starts, so the window closes
    // whether it ends well or not.
    struct CloseAfterwards {
        QDialog *dialog;
        ~CloseAfterwards() { dialog->done(QDialog::Accepted); }
    } closeAfterwards{this};
    Ajustar();
}

void TfReprogramarHorarios::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    layout()->activate();
    widgets::AlinhaBotoes(Panel_Buttons);
    QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().center() - rect().center());
}

} // namespace bkp::schedule
