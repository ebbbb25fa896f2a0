#include "platform/cursor.h"
#include "platform/dialogs.h"
#include "support/recordingcursor.h"
#include "support/scripteddialogs.h"
#include "widgets/calendario.h"
#include "widgets/qtdialogs.h"

#include "support/tempdir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include "support/printers.h"

using namespace bkp::platform;
using bkp::widgets::QtDialogs;

namespace {

// Runs `answer` on the next modal window that opens (polled, as a person would
// wait for it), and gives up after a few seconds so a test cannot hang.
void whenModal(std::function<void(QWidget *)> answer) {
    auto *timer = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, started, answer] {
        QWidget *w = QApplication::activeModalWidget();
        if (!w && started->elapsed() < 5000)
            return;
        timer->stop();
        timer->deleteLater();
        if (!w)
            return;
        answer(w);
        // A window the answer did not close would block the test for good.
        QPointer<QWidget> open(w);
        QTimer::singleShot(3000, [open] {
            if (open && open->isVisible()) {
                ADD_FAILURE() << "the window stayed open: " << open->metaObject()->className();
                if (auto *dialog = qobject_cast<QDialog *>(open.data()))
                    dialog->done(QDialog::Rejected);
            }
        });
    });
    timer->start();
}

// Types a name into a file chooser's name field, as a person would.
void typeFileName(QFileDialog *chooser, const QString &name) {
    auto *edit = chooser->findChild<QLineEdit *>("fileNameEdit");
    ASSERT_NE(edit, nullptr);
    edit->setText(name);
}

QAbstractButton *buttonWithText(QMessageBox *box, const QString &text) {
    for (QAbstractButton *b : box->buttons()) {
        if (b->text() == text)
            return b;
    }
    return nullptr;
}

} // namespace

TEST(ScriptedDialogs, AnswersInOrderAndRecordsWhatWasShown) {
    ScriptedDialogs d;
    d.answer(IDNO);
    d.answer(IDRETRY);
    EXPECT_EQ(d.messageBox("Excluir o backup?", "Confirme", MB_YESNO | MB_ICONQUESTION, nullptr),
              IDNO);
    EXPECT_EQ(d.messageBox("Falhou", "Erro", MB_RETRYCANCEL | MB_ICONERROR, nullptr), IDRETRY);
    // Script used up: the default button answers.
    EXPECT_EQ(d.messageBox("De novo?", "", MB_YESNO | MB_DEFBUTTON2, nullptr), IDNO);
    EXPECT_EQ(d.messageBox("Ok", "", MB_OK, nullptr), IDOK);

    d.answerText("DIARIO");
    d.answerCancel();
    d.answerText("");
    QString value = "antes";
    EXPECT_TRUE(d.inputQuery("Backup", "Nome:", value));
    EXPECT_EQ(value, "DIARIO");
    EXPECT_FALSE(d.inputQuery("Backup", "Nome:", value));
    EXPECT_EQ(value, "DIARIO");
    EXPECT_TRUE(d.inputQuery("Backup", "Nome:", value));
    EXPECT_EQ(value, "");
    EXPECT_FALSE(d.inputQuery("Backup", "Nome:", value)); // nothing scripted: cancelled

    d.answerText("/srv/x.sql");
    d.answerText("/srv/y.sql");
    d.answerText("/srv");
    EXPECT_EQ(d.openFileName("Abrir", "/srv", "SQL|*.sql"), "/srv/x.sql");
    EXPECT_EQ(d.saveFileName("Salvar", "/srv", "SQL|*.sql", "sql"), "/srv/y.sql");
    EXPECT_EQ(d.selectFolder("Pasta", "/"), "/srv");
    EXPECT_EQ(d.selectFolder("Pasta", "/"), "");

    const auto &s = d.shown();
    ASSERT_EQ(s.size(), 12);
    EXPECT_EQ(s[0].kind, "message");
    EXPECT_EQ(s[0].text, "Excluir o backup?");
    EXPECT_EQ(s[0].caption, "Confirme");
    EXPECT_EQ(s[0].flags, unsigned(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(s[4].kind, "input");
    EXPECT_EQ(s[4].text, "Nome:");
    EXPECT_EQ(s[4].caption, "Backup");
    EXPECT_EQ(s[4].value, "antes");
    EXPECT_EQ(s[8].kind, "open");
    EXPECT_EQ(s[8].folder, "/srv");
    EXPECT_EQ(s[8].filter, "SQL|*.sql");
    EXPECT_EQ(s[9].kind, "save");
    EXPECT_EQ(s[9].defaultExtension, "sql");
    EXPECT_EQ(s[10].kind, "folder");
    EXPECT_EQ(s[10].text, "Pasta");
    d.clear();
    EXPECT_TRUE(d.shown().isEmpty());
}

TEST(ScriptedDialogs, DefaultAnswerFollowsButtonsAndDefaultButton) {
    EXPECT_EQ(ScriptedDialogs::defaultAnswer(MB_OK), IDOK);
    EXPECT_EQ(ScriptedDialogs::defaultAnswer(MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
    EXPECT_EQ(ScriptedDialogs::defaultAnswer(MB_ABORTRETRYIGNORE | MB_DEFBUTTON3), IDIGNORE);
    EXPECT_EQ(ScriptedDialogs::defaultAnswer(MB_YESNOCANCEL | MB_ICONWARNING), IDYES);
    EXPECT_EQ(ScriptedDialogs::defaultAnswer(MB_YESNOCANCEL | MB_DEFBUTTON3), IDCANCEL);
    EXPECT_EQ(ScriptedDialogs::defaultAnswer(MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(ScriptedDialogs::defaultAnswer(MB_RETRYCANCEL), IDRETRY);
    EXPECT_EQ(ScriptedDialogs::defaultAnswer(MB_YESNO | MB_DEFBUTTON3), IDYES); // no third button
}

TEST(ScriptedDialogs, InstalledForAScopeOnly) {
    EXPECT_NE(dynamic_cast<QtDialogs *>(&dialogs()), nullptr);
    ScriptedDialogs scripted;
    {
        ScopedDialogs scope(&scripted);
        EXPECT_EQ(&dialogs(), &scripted);
        dialogs().messageBox("x", "y", MB_OK, nullptr);
    }
    EXPECT_EQ(scripted.shown().size(), 1);
    EXPECT_NE(dynamic_cast<QtDialogs *>(&dialogs()), nullptr);
}

TEST(QtDialogs, MessageBoxShowsItsFlagsAndReturnsThePressedButton) {
    QtDialogs d;
    QString title, text, defaultText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    whenModal([&](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        for (QAbstractButton *b : box->buttons())
            buttons.append(b->text());
        defaultText = box->defaultButton() ? box->defaultButton()->text() : QString();
        buttonWithText(box, "&Não")->click();
    });
    const int answer = d.messageBox("Confirma a exclusão de <b>DIARIO</b>?", "Confirme",
                                    MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2, nullptr);
    EXPECT_EQ(answer, IDNO);
    EXPECT_EQ(title, "Confirme");
    EXPECT_EQ(text, "Confirma a exclusão de <b>DIARIO</b>?");
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_EQ(buttons.size(), 3);
    EXPECT_TRUE(buttons.contains("&Sim") && buttons.contains("Cancelar"));
    EXPECT_EQ(defaultText, "&Não");

    whenModal([&](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        ASSERT_NE(box, nullptr);
        icon = box->icon();
        box->reject(); // Escape / close box
    });
    EXPECT_EQ(d.messageBox("Falhou", "Erro", MB_OKCANCEL | MB_ICONERROR, nullptr), IDCANCEL);
    EXPECT_EQ(icon, QMessageBox::Critical);

    whenModal([&](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        ASSERT_NE(box, nullptr);
        buttonWithText(box, "&Ignorar")->click();
    });
    EXPECT_EQ(d.messageBox("?", "", MB_ABORTRETRYIGNORE | MB_ICONWARNING, nullptr), IDIGNORE);
}

TEST(QtDialogs, InputQueryReturnsTheTextOrLeavesTheValue) {
    QtDialogs d;
    QString label;
    whenModal([&](QWidget *w) {
        auto *input = qobject_cast<QInputDialog *>(w);
        ASSERT_NE(input, nullptr);
        label = input->labelText();
        EXPECT_EQ(input->textValue(), "velho");
        input->setTextValue("SEMANAL");
        input->accept();
    });
    QString value = "velho";
    EXPECT_TRUE(d.inputQuery("Backup", "Nome do arquivo:", value));
    EXPECT_EQ(value, "SEMANAL");
    EXPECT_EQ(label, "Nome do arquivo:");

    whenModal([](QWidget *w) {
        auto *input = qobject_cast<QInputDialog *>(w);
        ASSERT_NE(input, nullptr);
        input->setTextValue("descartado");
        input->reject();
    });
    EXPECT_FALSE(d.inputQuery("Backup", "Nome do arquivo:", value));
    EXPECT_EQ(value, "SEMANAL");
}

TEST(QtDialogs, FileChoosersStartInTheResolvedFolderWithTheFilter) {
    bkp::test::TempDir dir;
    const QString script = dir.write("Scripts/backup.SQL", "select 1");
    QtDialogs d;

    QStringList filters;
    QString folder;
    whenModal([&](QWidget *w) {
        auto *chooser = qobject_cast<QFileDialog *>(w);
        ASSERT_NE(chooser, nullptr);
        filters = chooser->nameFilters();
        folder = chooser->directory().absolutePath();
        typeFileName(chooser, "backup.SQL");
        static_cast<QDialog *>(chooser)->accept(); // as the "Open" button does
    });
    EXPECT_EQ(
        d.openFileName("Abrir", dir.path() + "/SCRIPTS", "SQL Files|*.sql|All files (*.*)|*.*"),
        script);
    EXPECT_EQ(folder, dir.file("Scripts"));
    EXPECT_EQ(filters, QStringList({"SQL Files (*.sql *.SQL)", "All files (*.*)"}));

    whenModal([&](QWidget *w) {
        auto *chooser = qobject_cast<QFileDialog *>(w);
        ASSERT_NE(chooser, nullptr);
        typeFileName(chooser, "novo");
        static_cast<QDialog *>(chooser)->accept(); // as the "Open" button does
    });
    EXPECT_EQ(d.saveFileName("Salvar", dir.path() + "/scripts", "SQL|*.sql", ".sql"),
              dir.file("Scripts/novo.sql"));
}

// The folder chooser: a typed name that does not exist is created only after
// the operator confirms; refusing keeps the chooser open and creates nothing.
TEST(QtDialogs, FolderChooserCreatesATypedFolderOnlyAfterConfirmation) {
    bkp::test::TempDir dir;
    QDir().mkpath(dir.file("Backups"));
    QtDialogs d;
    struct Case {
        QString typed;
        const char *answer; // to "Deseja criá-la?"; nullptr: no question expected
        QString result;
        QString created;
    };
    const QList<Case> cases = {
        {dir.file("backups"), nullptr, dir.file("Backups"), QString()},
        {"DIARIO", "&Sim", dir.file("Backups/DIARIO"), dir.file("Backups/DIARIO")},
        {dir.file("Novo/Semanal"), "&Sim", dir.file("Novo/Semanal"), dir.file("Novo/Semanal")},
        {"MENSAL", "&Não", "", QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        QString question;
        QStringList captions;
        whenModal([&](QWidget *w) {
            auto *chooser = qobject_cast<QDialog *>(w);
            ASSERT_NE(chooser, nullptr);
            for (auto *b : chooser->findChildren<QAbstractButton *>())
                captions.append(b->text());
            auto *edit = chooser->findChild<QLineEdit *>("folderEdit");
            ASSERT_NE(edit, nullptr);
            EXPECT_EQ(edit->text(), dir.file("Backups")); // starts on the folder given
            edit->setText(c.typed);
            if (c.answer) {
                whenModal([&, chooser](QWidget *boxWidget) {
                    auto *box = qobject_cast<QMessageBox *>(boxWidget);
                    ASSERT_NE(box, nullptr);
                    question = box->text();
                    buttonWithText(box, QString::fromUtf8(c.answer))->click();
                    if (c.result.isEmpty()) // refused: the chooser is still open
                        QTimer::singleShot(0, chooser, [chooser] { chooser->reject(); });
                });
            }
            for (auto *b : chooser->findChildren<QPushButton *>()) {
                if (b->text() == "OK")
                    b->click();
            }
        });
        EXPECT_EQ(d.selectFolder("Salvar em...", dir.file("backups")), c.result);
        EXPECT_EQ(captions, QStringList({"OK", "Cancelar", "Aj&uda"}));
        if (c.answer) {
            EXPECT_TRUE(question.endsWith("não existe.\nDeseja criá-la?"))
                << question.toStdString();
        }
        if (!c.created.isEmpty()) {
            EXPECT_TRUE(QFileInfo(c.created).isDir());
        }
    }
    EXPECT_FALSE(QFileInfo::exists(dir.file("Backups/MENSAL")));
}

TEST(CursorControl, DrivesTheApplicationsOverrideCursor) {
    CursorControl &c = cursorControl();
    c.set(CursorKind::Hourglass);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_EQ(c.current(), CursorKind::Hourglass);
    c.set(CursorKind::AppStart);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
    c.set(CursorKind::SqlWait);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    c.set(CursorKind::Default); // one restore undoes all of them
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(c.current(), CursorKind::Default);
    c.set(CursorKind::Hourglass);
    c.set(CursorKind::Arrow);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(c.current(), CursorKind::Arrow);
    c.set(CursorKind::Default);

    RecordingCursor recording;
    setCursorControl(&recording);
    cursorControl().set(CursorKind::SqlWait);
    EXPECT_EQ(recording.current(), CursorKind::SqlWait);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    setCursorControl(nullptr);
    EXPECT_EQ(&cursorControl(), &c);
}

// Message boxes, input boxes, the choosers and the date picker carry a title and a
// close box, but no minimise or maximise buttons; under Openbox, which draws those
// on every dialog, they declare themselves toolbars first.
TEST(QtDialogs, EveryDialogHasOnlyTheCloseBox) {
    QtDialogs d;
    const QStringList openbox = {"_NET_WM_WINDOW_TYPE_TOOLBAR", "_NET_WM_WINDOW_TYPE_DIALOG"};
    const struct {
        const char *what;
        std::function<void()> open;
    } cases[] = {
        {"message box",
         [&] {
             d.messageBox("Texto", "BKPZelto", MB_OK, nullptr);
         }},
        {"input box",
         [&] {
             QString value;
             d.inputQuery("Título", "Informe:", value);
         }},
        {"open chooser",
         [&] {
             d.openFileName("Abrir", QDir::tempPath(), "All|*.*");
         }},
        {"save chooser",
         [&] {
             d.saveFileName("Salvar", QDir::tempPath(), "All|*.*", "");
         }},
        {"folder chooser",
         [&] {
             d.selectFolder("Pasta", QDir::tempPath());
         }},
        {"date picker",
         [&] {
             bkp::widgets::TfCalendario picker;
             picker.exec();
         }},
    };
    for (const auto &c : cases) {
        Qt::WindowFlags flags;
        QStringList underOpenbox, underXfwm;
        whenModal([&](QWidget *w) {
            flags = w->windowFlags();
            underOpenbox = bkp::widgets::DialogFrameWindowTypes(w, "Openbox");
            underXfwm = bkp::widgets::DialogFrameWindowTypes(w, "Xfwm4");
            if (auto *dialog = qobject_cast<QDialog *>(w))
                dialog->reject();
        });
        c.open();
        EXPECT_EQ(underOpenbox, openbox) << c.what;
        EXPECT_EQ(underXfwm, QStringList()) << c.what;
        EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint)) << c.what;
        EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint)) << c.what;
        EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint)) << c.what;
        EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint)) << c.what;
    }
}
