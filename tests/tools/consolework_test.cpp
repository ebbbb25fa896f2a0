#include "tools/fbconsole.h"

#include "db/dataroutines.h"
#include "lib/paths.h"
#include "platform/application.h"
#include "support/firebird.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"
#include "widgets/dbgrid.h"
#include "widgets/dbnavigator.h"
#include "widgets/statusbar.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>

using namespace bkp;
using namespace bkp::tools;

namespace {

// A console over a database served on loopback, so isql-fb reads what reached the
// file while the console still holds its connection.
class ConsoleWork : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::serverAnswers())
            GTEST_SKIP() << "no Firebird server on 127.0.0.1:3050";
        path = dir.file("work.fdb");
        fdb = std::make_unique<test::TestDatabase>("127.0.0.1:" + path);
        for (const char *sql :
             {"create table PECAS (ID integer not null primary key, "
              "NOME varchar(20) character set WIN1252, "
              "PRECO numeric(12,2), DIA date, HORA time, C integer)",
              "create table VELHA (X integer)",
              "insert into PECAS values (1, 'Parafuso', 2.5, '2024-01-02', '08:00', 7)",
              "insert into PECAS values (2, 'Porca', 1, '2024-01-03', '09:00', 7)"}) {
            db::ExecSQL(fdb->get(), sql);
            fdb->get()->defaultTransaction()->commitRetaining();
        }
        console = std::make_unique<TfFBConsole>();
        console->Prepare(fdb->get(), QString(), false, QString());
    }
    void TearDown() override { console.reset(); }
    QToolButton *button(const char *name) { return console->findChild<QToolButton *>(name); }
    // Types the statement and presses "SQL".
    void run(const QString &text) {
        console->editor()->setPlainText(text);
        button("ToolButton_SQL")->click();
    }
    QString isql(const QString &commands) { return test::isql(path, commands); }
    // What isql-fb reads from the file for one column of one row: its text or "NULL".
    QString stored(const QString &column, int id) {
        const QString out = isql(QString("select '<' || coalesce(cast(%1 as varchar(40)), "
                                         "'NULL') || '>' from PECAS where ID = %2;")
                                     .arg(column)
                                     .arg(id));
        return out.section('<', 1).section('>', 0, 0);
    }
    // The SQL page's result of PECAS, editable with ID chosen as its key.
    void keyedResult() {
        run("select * from PECAS");
        QComboBox *key = console->keyCombo();
        key->setCurrentIndex(key->findText("ID"));
        emit key->activated(key->currentIndex());
    }
    // Types `text` into a cell as the operator does (F2, the old text selected and
    // replaced, Enter) and returns the cell's editor when it is still open.
    static QModelIndex cell(widgets::DBGrid *grid, int row, const QString &field) {
        int column = 0;
        while (grid->dataModel()->columns().value(column).fieldName != field)
            ++column;
        return grid->model()->index(row, column);
    }
    QWidget *typeIntoCell(widgets::DBGrid *grid, int row, const QString &field,
                          const QString &text) {
        const QModelIndex at = cell(grid, row, field);
        grid->setFocus();
        grid->setCurrentIndex(at);
        QTest::keyClick(grid, Qt::Key_F2);
        auto *editor = qobject_cast<QLineEdit *>(grid->indexWidget(at));
        if (!editor) {
            ADD_FAILURE() << "no cell editor opened for " << field.toStdString();
            return nullptr;
        }
        editor->selectAll();
        if (text.isEmpty())
            QTest::keyClick(editor, Qt::Key_Delete);
        else if (QString::fromLatin1(text.toLatin1()) == text && text.toLatin1().front() > 0)
            QTest::keyClicks(editor, text);
        else
            editor->insert(text); // what an input method types; key events carry ASCII only
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents(); // the view closes a taken editor when idle
        return grid->indexWidget(at);
    }
    QStringList messages() const {
        QStringList out;
        for (const auto &m : dialogs.shown())
            out << m.text;
        return out;
    }

    test::TempDir dir;
    QString path;
    std::unique_ptr<test::TestDatabase> fdb;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped{&dialogs};
    std::unique_ptr<TfFBConsole> console;
};

} // namespace

TEST_F(ConsoleWork, AStructureChangeTheServerRefusesAtItsCommitKeepsThePendingWork) {
    const struct {
        const char *statement, *message, *stillThere;
        bool otherConnection; // holds VELHA open
    } cases[] = {
        {"create unique index UX on PECAS (C)", "duplicate", "show index PECAS", false},
        {"drop table VELHA", "in use", "show table VELHA", true},
    };
    int id = 10;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.statement);
        test::TestDatabase other("127.0.0.1:" + path, false);
        db::Query holding;
        if (c.otherConnection) {
            holding.setDatabase(other.get());
            holding.setSqlText("select * from VELHA");
            holding.open();
        }
        const QString insert = QString("insert into PECAS (ID, NOME) values (%1, 'Nova')").arg(id);
        run(insert);
        ASSERT_TRUE(console->session()->pending());
        const int history = int(console->session()->history().entries().size());
        dialogs.clear();
        try {
            run(c.statement);
            ADD_FAILURE() << "the refused commit was not reported";
        } catch (const db::DatabaseError &e) {
            EXPECT_TRUE(e.message().contains(c.message)) << e.message().toStdString();
        }
        EXPECT_FALSE(messages().join('|').contains("Operação concluída"))
            << messages().join("|").toStdString();
        EXPECT_EQ(console->editor()->toPlainText(), c.statement);
        EXPECT_EQ(console->session()->history().entries().size(), history);
        EXPECT_TRUE(console->session()->pending());
        EXPECT_TRUE(fdb->get()->connected());
        holding.close();
        other.database->close();

        button("ToolButton_Commit")->click();
        EXPECT_FALSE(console->session()->pending());
        const QString stored = isql(QString("select 'found', count(*) from PECAS where ID = %1;\n"
                                            "%2;")
                                        .arg(id)
                                        .arg(c.stillThere));
        EXPECT_TRUE(stored.simplified().contains("found 1")) << stored.toStdString();
        EXPECT_FALSE(stored.contains("UX")) << stored.toStdString();
        EXPECT_FALSE(stored.contains("no table")) << stored.toStdString();
        ++id;
    }
    // Accepted, the change is told only after its commit went through.
    dialogs.clear();
    run("create index IX on PECAS (C)");
    EXPECT_EQ(messages(), QStringList{"Operação concluída.\rTotal de registrados atualizados: 0"});
    EXPECT_TRUE(isql("show index PECAS;").contains("IX"));
}

TEST_F(ConsoleWork, CellsAreEditedInBothGridsInTheUsersFormatsAndKeptByCommit) {
    console->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(console.get()));
    widgets::DBGrid *grid2 = console->findChild<widgets::DBGrid *>("DBGrid2");
    const struct {
        int grid; // 1: the SQL page's result, 2: the Tables page
        int id;
        const char *field, *typed, *stored;
        bool refused;
    } cases[] = {
        {1, 1, "NOME", "Arruela", "Arruela", false},
        {1, 1, "PRECO", "1.234,5", "1234.50", false},
        {1, 2, "DIA", "25/12/2024", "2024-12-25", false},
        {1, 2, "NOME", "", "NULL", false},
        {1, 2, "PRECO", "abc", "", true},
        {2, 1, "HORA", "10:30", "10:30:00.0000", false},
        {2, 2, "PRECO", "7,25", "7.25", false},
        {2, 1, "DIA", "", "NULL", false},
        {2, 1, "DIA", "31/02/2024", "", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.field) + " <- " + c.typed);
        widgets::DBGrid *grid = c.grid == 1 ? console->resultGrid() : grid2;
        if (c.grid == 1) {
            console->pages()->setCurrentIndex(TfFBConsole::SqlPage);
            keyedResult();
        } else {
            console->pages()->setCurrentIndex(TfFBConsole::TablesPage);
            console->AbreTabela("PECAS");
        }
        dialogs.clear();
        const QString before = cell(grid, c.id - 1, c.field).data(Qt::EditRole).toString();
        QWidget *open = typeIntoCell(grid, c.id - 1, c.field, c.typed);
        if (c.refused) {
            ASSERT_EQ(dialogs.shown().size(), 1);
            EXPECT_TRUE(dialogs.shown()[0].text.startsWith(
                QString("Valor não aceito para o campo %1.").arg(c.field)))
                << dialogs.shown()[0].text.toStdString();
            ASSERT_NE(open, nullptr); // the editor stays, with the text typed
            EXPECT_EQ(qobject_cast<QLineEdit *>(open)->text(), c.typed);
            QTest::keyClick(open, Qt::Key_Escape);
            EXPECT_EQ(cell(grid, c.id - 1, c.field).data(Qt::EditRole).toString(), before);
        } else {
            EXPECT_TRUE(dialogs.shown().isEmpty()) << messages().join("|").toStdString();
            EXPECT_EQ(open, nullptr);
        }
        EXPECT_EQ(grid->dataSet()->state(), db::DataSetState::Browse);
    }
    button("ToolButton_Commit")->click();
    console->close();
    console.reset();
    fdb->get()->close();
    for (const auto &c : cases) {
        if (!c.refused) {
            EXPECT_EQ(stored(c.field, c.id), c.stored) << c.field << " of " << c.id;
        }
    }
}

TEST_F(ConsoleWork, AResultWithoutAKeyOrInAReadOnlyConsoleOpensNoCellEditor) {
    console->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(console.get()));
    run("select * from PECAS");
    widgets::DBGrid *grid = console->resultGrid();
    const QModelIndex at = grid->model()->index(0, 1);
    grid->setCurrentIndex(at);
    QTest::keyClick(grid, Qt::Key_F2);
    EXPECT_EQ(grid->indexWidget(at), nullptr);

    TfFBConsole readOnly;
    readOnly.Prepare(fdb->get(), QString(), true, QString());
    readOnly.editor()->setPlainText("select * from PECAS");
    readOnly.ToolButton_SQLClick();
    QComboBox *key = readOnly.keyCombo();
    key->setCurrentIndex(key->findText("ID"));
    emit key->activated(key->currentIndex());
    EXPECT_FALSE(readOnly.resultGrid()->model()->flags(at) & Qt::ItemIsEditable);
    EXPECT_FALSE(readOnly.session()->query().canModify());
}

TEST_F(ConsoleWork, OnlyARowPostedInTheResultIsPendingWorkAndAWholeCommitEndsIt) {
    console->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(console.get()));
    auto *navigator = console->findChild<widgets::DBNavigator *>("DBNavigator_SQL");
    const struct {
        const char *what;
        std::function<void()> act;
        bool pending;
    } cases[] = {
        {"a cell of the result edited",
         [&] {
             keyedResult();
             typeIntoCell(console->resultGrid(), 0, "NOME", "Arruela");
         },
         true},
        {"a row inserted into the result",
         [&] {
             keyedResult();
             navigator->button(widgets::DBNavigator::Insert)->click();
             typeIntoCell(console->resultGrid(), 0, "ID", "30");
             navigator->button(widgets::DBNavigator::Post)->click();
         },
         true},
        {"a row of the result deleted",
         [&] {
             keyedResult();
             dialogs.answer(platform::IDYES);
             navigator->button(widgets::DBNavigator::Delete)->click();
         },
         false},
        {"a cell of the Tables page edited",
         [&] {
             console->pages()->setCurrentIndex(TfFBConsole::TablesPage);
             console->AbreTabela("PECAS");
             typeIntoCell(console->findChild<widgets::DBGrid *>("DBGrid2"), 0, "NOME", "Bucha");
             console->pages()->setCurrentIndex(TfFBConsole::SqlPage);
         },
         false},
        {"Commit && Refresh after a posted result row",
         [&] {
             keyedResult();
             typeIntoCell(console->resultGrid(), 0, "NOME", "Cavilha");
             console->pages()->setCurrentIndex(TfFBConsole::TablesPage);
             console->AbreTabela("PECAS");
             button("ToolButton_CommitTable")->click();
             console->pages()->setCurrentIndex(TfFBConsole::SqlPage);
         },
         false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        button("ToolButton_Commit")->click();
        ASSERT_FALSE(console->session()->pending());
        c.act();
        EXPECT_EQ(console->session()->pending(), c.pending);
    }
    // The whole commit stored the last edit.
    EXPECT_TRUE(isql("select 'n=' || count(*) from PECAS where NOME = 'Cavilha';").contains("n=1"));
}

TEST_F(ConsoleWork, SortGridOrdersTheColumnsOfTheCurrentResultOnly) {
    auto titles = [&] {
        QStringList out;
        QAbstractItemModel *m = console->resultGrid()->model();
        for (int i = 0; i < m->columnCount(); ++i)
            out << m->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString();
        return out;
    };
    run("select NOME, ID, C from PECAS");
    button("ToolButton2")->click();
    EXPECT_EQ(titles(), QStringList({"C", "ID", "NOME"}));
    console->DBGrid1TitleClick("NOME"); // the same result ordered again
    EXPECT_EQ(titles(), QStringList({"C", "ID", "NOME"}));
    run("select * from VELHA");
    EXPECT_EQ(titles(), QStringList({"X"}));
    run("select NOME, ID from PECAS");
    EXPECT_EQ(titles(), QStringList({"NOME", "ID"}));
}

TEST_F(ConsoleWork, EscapeLeavesTheConsoleOpenWithItsWork) {
    console->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(console.get()));
    run("insert into PECAS (ID, NOME) values (40, 'Nova')");
    dialogs.clear();
    for (QWidget *w :
         {static_cast<QWidget *>(console->editor()), static_cast<QWidget *>(console->resultGrid()),
          static_cast<QWidget *>(console.get())}) {
        QTest::keyClick(w, Qt::Key_Escape);
        QTest::keyClick(w, Qt::Key_Escape);
    }
    EXPECT_TRUE(console->isVisible());
    EXPECT_TRUE(dialogs.shown().isEmpty()); // nothing asked, nothing answered
    EXPECT_TRUE(console->session()->pending());
}

TEST_F(ConsoleWork, TextTheConnectionCannotCarryIsRefusedBeforeItRuns) {
    console->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(console.get()));
    const struct {
        const char *typed, *refusal; // the refusal names the characters; empty: taken
        int id;
    } cases[] = {
        {"Ωμέγα 日本", "Ω μ έ γ α 日 本", 50}, {"ação €", "", 51}, // all in Windows-1252
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        dialogs.clear();
        run(QString("insert into PECAS (ID, NOME) values (%1, '%2')").arg(c.id).arg(c.typed));
        if (*c.refusal) {
            ASSERT_EQ(dialogs.shown().size(), 1);
            EXPECT_TRUE(
                dialogs.shown()[0].text.contains(QString("(WIN1252) não comporta: ") + c.refusal))
                << dialogs.shown()[0].text.toStdString();
            EXPECT_FALSE(console->editor()->toPlainText().isEmpty()); // kept to be corrected
        }
    }
    // The same in a cell.
    keyedResult();
    dialogs.clear();
    QWidget *open = typeIntoCell(console->resultGrid(), 0, "NOME", "日本");
    EXPECT_NE(open, nullptr);
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_TRUE(dialogs.shown()[0].text.contains("não comporta: 日本"));
    QTest::keyClick(open, Qt::Key_Escape);

    button("ToolButton_Commit")->click();
    EXPECT_EQ(stored("NOME", 50), ""); // no row
    EXPECT_EQ(stored("NOME", 51), "ação €");
    EXPECT_EQ(stored("NOME", 1), "Parafuso");
}

TEST_F(ConsoleWork, TheProgramEndingUnderTheConsoleRollsItsWorkBackAndSavesTheHistory) {
    const QString autoFolder = AppSubFolder("Scripts/Auto");
    const QStringList before = QDir(autoFolder).entryList(QDir::Files);
    for (const QString &f : before)
        QFile::remove(QDir(autoFolder).filePath(f));
    TfFBConsole ending;
    QTimer::singleShot(0, &ending, [&] {
        ending.editor()->setPlainText("insert into PECAS (ID, NOME) values (60, 'Nova')");
        ending.ToolButton_SQLClick();
        platform::terminateApplication(); // what the end of the session does
    });
    ending.ShowForm(fdb->get(), QString(), false, QString());
    platform::resetTerminated();
    // The application's loop run once more lets later windows' loops run again.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    EXPECT_TRUE(dialogs.shown().size() == 1); // the statement's own message, nothing asked
    fdb->get()->close();                      // the program's end commits what is left
    EXPECT_EQ(stored("NOME", 60), "");
    const QStringList saved = QDir(autoFolder).entryList(QDir::Files);
    ASSERT_EQ(saved.size(), 1);
    QFile history(QDir(autoFolder).filePath(saved[0]));
    ASSERT_TRUE(history.open(QIODevice::ReadOnly));
    EXPECT_TRUE(history.readAll().contains("values (60, 'Nova')"));
}

TEST_F(ConsoleWork, CurrencyFieldsRecordPositionAndInformationBoxesFollowTheResult) {
    db::ExecSQL(fdb->get(), "insert into PECAS (ID, NOME, PRECO) values (3, 'Motor', 1234.5)");
    db::ExecSQL(fdb->get(), "insert into PECAS (ID, NOME, PRECO) values (4, 'Crédito', -0.5)");
    fdb->get()->defaultTransaction()->commitRetaining();
    auto shown = [&](int row, const char *field) {
        return console->resultGrid()
            ->model()
            ->data(cell(console->resultGrid(), row, field))
            .toString();
    };
    // Listed float or NUMERIC fields only; an integer listed stays a number.
    run("select ID, PRECO, C from PECAS order by ID\n/*\nCurrency=PRECO\nTitle=x\nCurrency=C\n*/");
    EXPECT_EQ(shown(2, "PRECO"), "R$ 1.234,50");
    EXPECT_EQ(shown(0, "PRECO"), "R$ 2,50");
    EXPECT_EQ(shown(3, "PRECO"), "R$ -0,50");
    EXPECT_EQ(shown(0, "C"), "7");
    // A key chosen reopens the result with the editor empty: the last statement counts.
    QComboBox *key = console->keyCombo();
    key->setCurrentIndex(key->findText("ID"));
    emit key->activated(key->currentIndex());
    EXPECT_EQ(shown(2, "PRECO"), "R$ 1.234,50");
    run("select ID, PRECO, C from PECAS order by ID"); // the same columns, no directive
    EXPECT_EQ(shown(2, "PRECO"), "1.234,5");

    EXPECT_EQ(console->statusBar()->panelText(0), "Recno 1/4");
    console->session()->query().close();
    EXPECT_EQ(console->statusBar()->panelText(0), "");

    dialogs.clear();
    console->editor()->clear();
    button("ToolButton_SaveScript")->click();
    run("update PECAS set C = 8 where ID = 1");
    ASSERT_EQ(dialogs.shown().size(), 2);
    for (const auto &m : dialogs.shown())
        EXPECT_EQ(m.flags & 0xF0, unsigned(platform::MB_ICONINFORMATION)) << m.text.toStdString();
}
