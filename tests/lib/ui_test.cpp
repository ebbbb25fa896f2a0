#include "lib/ui.h"
#include "platform/clock.h"
#include "support/fixedclock.h"
#include "support/recordingcursor.h"
#include "support/recordingports.h"
#include "support/scripteddialogs.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

using namespace bkp;
using namespace bkp::platform;

namespace {

// Sees what the bar shows at the moment the pause starts.
class WatchingSleeper : public Sleeper {
public:
    explicit WatchingSleeper(const RecordingStatusBar &bar) : m_bar(bar) {}
    void sleep(int milliseconds) override {
        pauses.append(milliseconds);
        panelAtPause = m_bar.panelText(3);
        repaintsAtPause = m_bar.repaints();
    }
    QList<int> pauses;
    QString panelAtPause;
    int repaintsAtPause = -1;

private:
    const RecordingStatusBar &m_bar;
};

class AppTitle {
public:
    explicit AppTitle(const QString &title) : m_previous(QCoreApplication::applicationName()) {
        QCoreApplication::setApplicationName(title);
    }
    ~AppTitle() { QCoreApplication::setApplicationName(m_previous); }

private:
    QString m_previous;
};

} // namespace

TEST(ShowStatus, WritesThePanelRepaintsAndThenPauses) {
    RecordingStatusBar bar;
    WatchingSleeper sleeper(bar);
    ScopedSleeper scoped(&sleeper);

    ShowStatus(&bar, 3, "Verificando backups... DIARIO", 200);
    EXPECT_EQ(bar.panelText(3), "Verificando backups... DIARIO");
    EXPECT_EQ(sleeper.pauses, QList<int>{200});
    EXPECT_EQ(sleeper.panelAtPause, "Verificando backups... DIARIO");
    EXPECT_EQ(sleeper.repaintsAtPause, 1);

    ShowStatus(&bar, 0, "Conectado", 0);
    EXPECT_EQ(bar.panelText(0), "Conectado");
    EXPECT_EQ(bar.panelText(3), "Verificando backups... DIARIO");
    EXPECT_EQ(bar.repaints(), 2);
    EXPECT_EQ(sleeper.pauses.size(), 1); // no pause of 0
    ASSERT_EQ(bar.writes().size(), 2);
    EXPECT_EQ(bar.writes().at(1).panel, 0);
    EXPECT_EQ(bar.writes().at(1).text, "Conectado");
}

TEST(ShowStatus, UsesTheSimpleTextInSimpleMode) {
    RecordingStatusBar bar;
    bar.setSimplePanel(true);
    RecordingSleeper sleeper;
    ScopedSleeper scoped(&sleeper);

    ShowStatus(&bar, 2, "Enviando", 50);
    EXPECT_EQ(bar.simpleText(), "Enviando");
    EXPECT_EQ(bar.panelText(2), "");
    ASSERT_EQ(bar.writes().size(), 1);
    EXPECT_EQ(bar.writes().at(0).panel, -1);
    EXPECT_EQ(sleeper.total(), 50);
}

TEST(ShowStatus, SurvivesAMissingBarOrPanel) {
    RecordingSleeper sleeper;
    ScopedSleeper scoped(&sleeper);

    ShowStatus(nullptr, 0, "nada", 300);
    EXPECT_EQ(sleeper.calls(), 0);

    RecordingStatusBar bar(4);
    ShowStatus(&bar, 4, "fora", 10);
    ShowStatus(&bar, -1, "fora", 10);
    EXPECT_TRUE(bar.writes().isEmpty());
    EXPECT_EQ(bar.repaints(), 2);
    EXPECT_EQ(sleeper.total(), 20);
}

TEST(ShowMessageBox, PassesFlagsAndFillsAnEmptyCaptionWithTheTitle) {
    AppTitle title("BKPZelto - Gerenciador de backups");
    ScriptedDialogs dialogs;
    ScopedDialogs scoped(&dialogs);
    dialogs.answer(IDCANCEL);

    EXPECT_EQ(ShowMessageBox("Falhou", "", MB_ICONERROR | MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(ShowMessageBox("Pronto", "Aviso", MB_ICONINFORMATION), IDOK);
    ASSERT_EQ(dialogs.shown().size(), 2);
    EXPECT_EQ(dialogs.shown().at(0).text, "Falhou");
    EXPECT_EQ(dialogs.shown().at(0).caption, "BKPZelto - Gerenciador de backups");
    EXPECT_EQ(dialogs.shown().at(0).flags, unsigned(MB_ICONERROR | MB_OKCANCEL));
    EXPECT_EQ(dialogs.shown().at(1).caption, "Aviso");
}

TEST(ConfirmBox, AsksYesNoWithNoAsDefaultUnlessToldOtherwise) {
    AppTitle title("BKPZelto - Gerenciador de backups");
    ScriptedDialogs dialogs;
    ScopedDialogs scoped(&dialogs);

    dialogs.answer(IDYES);
    EXPECT_TRUE(ConfirmBox("Excluir?", "Confirme"));
    dialogs.answer(IDNO);
    EXPECT_FALSE(ConfirmBox("Excluir?", "", true));
    // Unanswered, the box takes its default button.
    EXPECT_FALSE(ConfirmBox("Excluir?", ""));
    EXPECT_TRUE(ConfirmBox("Excluir?", "", true));

    ASSERT_EQ(dialogs.shown().size(), 4);
    EXPECT_EQ(dialogs.shown().at(0).flags, unsigned(MB_ICONQUESTION | MB_YESNO | MB_DEFBUTTON2));
    EXPECT_EQ(dialogs.shown().at(0).caption, "Confirme");
    EXPECT_EQ(dialogs.shown().at(1).flags, unsigned(MB_ICONQUESTION | MB_YESNO));
    EXPECT_EQ(dialogs.shown().at(1).caption, "BKPZelto - Gerenciador de backups");
}

TEST(SwapCursor, ReturnsTheCursorItReplaces) {
    RecordingCursor cursor;
    setCursorControl(&cursor);
    CursorKind first = SwapCursor(CursorKind::SqlWait);
    CursorKind second = SwapCursor(first);
    setCursorControl(nullptr);

    EXPECT_EQ(first, CursorKind::Default);
    EXPECT_EQ(second, CursorKind::SqlWait);
    EXPECT_EQ(cursor.current(), CursorKind::Default);
    EXPECT_EQ(cursor.changes(), 2);
}
