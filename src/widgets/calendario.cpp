#include "widgets/calendario.h"

#include "db/field.h"
#include "lib/datetime.h"
#include "widgets/buttonrow.h"
#include "widgets/qtdialogs.h"

#include <QCalendarWidget>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>

namespace bkp::widgets {

TfCalendario::TfCalendario(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fCalendario"));
    setWindowTitle(QStringLiteral("Calendário"));
    widgets::UseDialogFrame(this);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);

    MonthCalendar1 = new QCalendarWidget(this);
    MonthCalendar1->setObjectName(QStringLiteral("MonthCalendar1"));
    setDate(ToQDate(Date()));
    const QSize calendar = MonthCalendar1->sizeHint();
    MonthCalendar1->setGeometry(0, 0, calendar.width(), calendar.height());

    Panel_Buttons = new QFrame(this);
    Panel_Buttons->setObjectName(QStringLiteral("Panel_Buttons"));
    Panel_Buttons->setFrameShape(QFrame::NoFrame);
    Panel_Buttons->setContentsMargins(3, 3, 3, 3);
    Panel_Buttons->setGeometry(0, calendar.height(), calendar.width(), 41);

    BitBtn1 = new BitBtn(BitBtn::Kind::OK, Panel_Buttons);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    BitBtn2 = new BitBtn(BitBtn::Kind::Cancel, Panel_Buttons);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    setFixedSize(calendar.width(), calendar.height() + Panel_Buttons->height());
    AlinhaBotoes(Panel_Buttons);
}

void TfCalendario::setDate(const QDate &date) {
    MonthCalendar1->setSelectedDate(date);
    MonthCalendar1->setCurrentPage(date.year(), date.month());
}

QDate TfCalendario::date() const {
    return MonthCalendar1->selectedDate();
}

void TfCalendario::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    // On the screen's centre, whoever the owner is.
    QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().center() - rect().center());
}

bool GetDateToField(db::Field *field, const QString &caption, QWidget *parent) {
    TfCalendario picker(parent);
    if (!field->isNull())
        picker.setDate(ToQDate(field->asDateTime()));
    if (!caption.isEmpty())
        picker.setWindowTitle(caption);
    if (picker.exec() != QDialog::Accepted)
        return false;
    field->setAsDateTime(FromQDate(picker.date()));
    return true;
}

} // namespace bkp::widgets
