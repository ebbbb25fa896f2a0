#pragma once

#include <QDialog>

class QCalendarWidget;
class QFrame;

namespace bkp::db {
class Field;
}

namespace bkp::widgets {

class BitBtn;

// The date picker: a month calendar above a row with OK and Cancel. Shown
// modally, OK means the calendar's date was chosen.
class TfCalendario : public QDialog {
    Q_OBJECT
public:
    explicit TfCalendario(QWidget *parent = nullptr);

    // The date the calendar opens on, its month shown and the day selected.
    void setDate(const QDate &date);
    QDate date() const;

    QCalendarWidget *MonthCalendar1 = nullptr;
    QFrame *Panel_Buttons = nullptr;
    BitBtn *BitBtn1 = nullptr; // OK
    BitBtn *BitBtn2 = nullptr; // Cancel

protected:
    void showEvent(QShowEvent *event) override;
};

// Lets the operator pick a date for a date column of the job being edited: a
// picker of its own opens on the column's date (today for a null) with `caption`
// instead of "Calendário" when one is given; OK stores the chosen date into the
// column and returns true, Cancel or the close box changes nothing.
bool GetDateToField(db::Field *field, const QString &caption = QString(),
                    QWidget *parent = nullptr);

} // namespace bkp::widgets
