#include "support/fixedclock.h"
#include "widgets/calendario.h"

#include "jobdb/jobqueries.h"
#include "platform/clock.h"
#include "support/jobdatabase.h"
#include "widgets/buttonrow.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QFrame>
#include <QLabel>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace bkp;
using namespace bkp::widgets;

TEST(AlinhaBotoes, CentresVisiblePictureButtonsAtTheHighestChildsHeight) {
    QWidget panel;
    panel.resize(190, 41);
    BitBtn ok(BitBtn::Kind::OK, &panel);
    BitBtn cancel(BitBtn::Kind::Cancel, &panel);
    AlinhaBotoes(&panel);
    EXPECT_EQ(ok.geometry(), QRect(15, 8, 75, 25));
    EXPECT_EQ(cancel.geometry(), QRect(95, 8, 75, 25));

    // A hidden button neither counts nor moves; a taller label of another kind
    // sets the height but keeps its place.
    BitBtn hidden(BitBtn::Kind::Custom, &panel);
    hidden.setGeometry(3, 3, 40, 10);
    hidden.hide();
    QLabel label(&panel);
    label.setGeometry(0, 0, 20, 31);
    AlinhaBotoes(&panel);
    EXPECT_EQ(ok.geometry(), QRect(15, 5, 75, 31));
    EXPECT_EQ(cancel.geometry(), QRect(95, 5, 75, 31));
    EXPECT_EQ(hidden.geometry(), QRect(3, 3, 40, 10));
    EXPECT_EQ(label.geometry(), QRect(0, 0, 20, 31));
}

TEST(AlinhaBotoes, ButtonsWiderThanThePanelStartLeftOfItsEdge) {
    QWidget panel;
    panel.resize(150, 30);
    BitBtn a(BitBtn::Kind::OK, &panel), b(BitBtn::Kind::Cancel, &panel);
    AlinhaBotoes(&panel);
    // (150 - 160) / 2 truncates toward zero: -5; (30 - 25) / 2 = 2.
    EXPECT_EQ(a.geometry(), QRect(-5, 2, 75, 25));
    EXPECT_EQ(b.geometry(), QRect(75, 2, 75, 25));
}

TEST(TfCalendario, CalendarAboveACentredButtonRow) {
    TfCalendario picker;
    EXPECT_EQ(picker.windowTitle(), "Calendário");
    const QRect calendar = picker.MonthCalendar1->geometry();
    const QRect panel = picker.Panel_Buttons->geometry();
    EXPECT_EQ(calendar.topLeft(), QPoint(0, 0));
    EXPECT_EQ(panel, QRect(0, calendar.height(), calendar.width(), 41));
    EXPECT_EQ(picker.size(), QSize(calendar.width(), calendar.height() + 41));
    const int left = (panel.width() - 160) / 2;
    EXPECT_EQ(picker.BitBtn1->geometry(), QRect(left, 8, 75, 25));
    EXPECT_EQ(picker.BitBtn2->geometry(), QRect(left + 80, 8, 75, 25));
    EXPECT_EQ(picker.BitBtn1->text(), "OK");
    EXPECT_TRUE(picker.BitBtn1->isDefault());
    EXPECT_FALSE(picker.isVisible()); // created hidden
    // A close box only: no minimise or maximise buttons on a small dialog.
    EXPECT_TRUE(picker.windowFlags().testFlag(Qt::CustomizeWindowHint));
    EXPECT_FALSE(picker.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(picker.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
}

namespace {

// Date columns of a job in the main window's own job query, edited as the job
// editor edits them.
class DatePickerTest : public ::testing::Test {
protected:
    DatePickerTest() {
        clock.set(QDateTime(QDate(2027, 4, 1), QTime(10, 0)));
        jobs.addJob(1, "ALFA", 0, QDate(2027, 5, 12), QTime(12, 0));
        queries.IBQuery_Backups.open();
        queries.IBQuery_Backups.edit();
    }

    db::Field *field(const char *name) { return queries.IBQuery_Backups.fieldByName(name); }

    // Answers the picker once it is up; reports what it saw in `seen`.
    void whenShown(std::function<void(TfCalendario *)> answer) {
        auto *poll = new QTimer;
        poll->setInterval(5);
        QObject::connect(poll, &QTimer::timeout, [poll, answer] {
            auto *picker = qobject_cast<TfCalendario *>(QApplication::activeModalWidget());
            if (!picker)
                return;
            poll->stop();
            poll->deleteLater();
            answer(picker);
        });
        poll->start();
    }

    struct Seen {
        QDate selected;
        int year = 0, month = 0;
        QString title;
    };
    void look(TfCalendario *p) {
        seen = {p->MonthCalendar1->selectedDate(), p->MonthCalendar1->yearShown(),
                p->MonthCalendar1->monthShown(), p->windowTitle()};
    }

    platform::FixedClock clock;
    platform::ScopedClock clockScope{&clock};
    platform::RecordingSleeper sleeper;
    platform::ScopedSleeper sleeperScope{&sleeper};
    test::JobDatabase jobs;
    jobdb::JobQueries queries{&jobs.dm};
    Seen seen;
};

} // namespace

TEST_F(DatePickerTest, OpensOnTheColumnsDateAndOkStoresIt) {
    whenShown([this](TfCalendario *p) {
        look(p);
        p->BitBtn1->click();
    });
    EXPECT_TRUE(GetDateToField(field("DATA")));
    EXPECT_EQ(seen.selected, QDate(2027, 5, 12));
    EXPECT_EQ(seen.year, 2027);
    EXPECT_EQ(seen.month, 5);
    EXPECT_EQ(seen.title, "Calendário");
    EXPECT_EQ(field("DATA")->value().toDate(), QDate(2027, 5, 12));

    // The operator moves one day on in the calendar and confirms.
    whenShown([](TfCalendario *p) {
        QTest::keyClick(p->MonthCalendar1->findChild<QTableView *>(), Qt::Key_Right);
        p->BitBtn1->click();
    });
    EXPECT_TRUE(GetDateToField(field("DATA")));
    queries.IBQuery_Backups.post();
    EXPECT_EQ(jobs.value(1, "DATA").toDate(), QDate(2027, 5, 13));
}

TEST_F(DatePickerTest, CancelAndTheCloseBoxChangeNothing) {
    whenShown([](TfCalendario *p) {
        p->MonthCalendar1->setSelectedDate(QDate(2030, 1, 1));
        p->BitBtn2->click();
    });
    EXPECT_FALSE(GetDateToField(field("DATA")));
    whenShown([](TfCalendario *p) {
        p->MonthCalendar1->setSelectedDate(QDate(2030, 1, 1));
        p->close();
    });
    EXPECT_FALSE(GetDateToField(field("DATA")));
    EXPECT_EQ(field("DATA")->value().toDate(), QDate(2027, 5, 12));
    EXPECT_FALSE(queries.IBQuery_Backups.modified());
}

TEST_F(DatePickerTest, NullColumnOpensOnTodayUnderTheGivenCaption) {
    whenShown([this](TfCalendario *p) {
        look(p);
        p->BitBtn1->click();
    });
    EXPECT_TRUE(GetDateToField(field("FTP_DATA"), "Próximo backup"));
    EXPECT_EQ(seen.title, "Próximo backup");
    EXPECT_EQ(seen.selected, QDate(2027, 4, 1));
    EXPECT_EQ(field("FTP_DATA")->value().toDate(), QDate(2027, 4, 1));
}
