#include "tools/consolesession.h"

#include "db/database.h"
#include "db/dataroutines.h"
#include "lib/datetime.h"
#include "lib/scopeguard.h"
#include "lib/strings.h"
#include "lib/ui.h"

#include <QList>

namespace bkp::tools {

namespace {
// Taken before a structure change; the same name replaces the earlier one.
const QString kStructureSavepoint = QStringLiteral("BKP_CONSOLE_STRUCTURE");

QString elapsedSince(TDateTime start) {
    return QStringLiteral("Time query: ") +
           FormatDateTime(QStringLiteral("hh:mm:ss.zzz"), Now() - start);
}
} // namespace

ConsoleSession::ConsoleSession(db::Database *database, bool readOnly, StatusBarPort *statusBar)
    : m_database(database), m_readOnly(readOnly), m_statusBar(statusBar) {
    IBQuery1.setObjectName(QStringLiteral("IBQuery1"));
    IBQuery1.setDatabase(database);
    // The operator's text goes to the engine as typed: a procedure body's :names
    // are its own.
    IBQuery1.setParamCheck(false);
    // Read-only also when a key is chosen: no edit reaches the database.
    IBQuery1.setReadOnly(readOnly);
    // A row posted in the result (edited or inserted) is work to confirm; a deleted
    // one is not counted, as the operator already confirmed its deletion.
    QObject::connect(&IBQuery1, &db::DataSet::afterPost, &IBQuery1, [this] { m_pending = true; });
}

QString ConsoleSession::rowsAffectedText() const {
    const qint64 rows = m_rowsAffected;
    return m_elapsed + QLatin1Char(' ') + QChar(0x00A6) + QStringLiteral(" Rows Affected: ") +
           QString::number(rows < 0 ? 0 : rows);
}

ConsoleSession::RunResult ConsoleSession::run(const QString &editorText) {
    RunResult r;
    m_elapsed.clear();
    m_rowsAffected = 0;
    struct StatusLine { // panel 3 tells what ran, also after an error
        ConsoleSession *s;
        ~StatusLine() { ShowStatus(s->m_statusBar, 3, s->rowsAffectedText()); }
    } status{this};
    if (editorText.isEmpty()) {
        // The one plain box of the console: no icon.
        ShowMessageBox(QStringLiteral("Nenhuma instrução SQL informada para execução."));
        return r;
    }
    // The one connection handed in cannot carry them: sent, they would be stored as '?'.
    const QString uncarried = m_database->uncarriedCharacters(editorText);
    if (!uncarried.isEmpty()) {
        QStringList each;
        for (char32_t u : uncarried.toUcs4())
            each << QString::fromUcs4(&u, 1);
        ShowMessageBox(QStringLiteral("A instrução contém caracteres que o conjunto de caracteres "
                                      "da conexão (") +
                           m_database->characterSet() + QStringLiteral(") não comporta: ") +
                           each.join(QLatin1Char(' ')) + QStringLiteral("\rNada foi executado."),
                       QString(), platform::MB_OK | platform::MB_ICONWARNING);
        return r;
    }
    IBQuery1.close();
    IBQuery1.setSqlText(editorText);
    r.keyword = StatementKeyword(editorText);
    r.kind = ClassifyKeyword(r.keyword);
    const TDateTime start = Now();
    if (r.kind != StatementClass::Select) {
        if (m_readOnly) {
            ShowMessageBox(QStringLiteral("FBConsole aberto em modo somente-consulta,\rnão é "
                                          "permitido operações que modifiquem\ra base de dados."),
                           QString(), platform::MB_OK | platform::MB_ICONINFORMATION);
            return r;
        }
        ScopedCursor wait(platform::CursorKind::SqlWait);
        ShowStatus(m_statusBar, 3,
                   QStringLiteral("Aguarde, executando comando ") + r.keyword +
                       QStringLiteral("..."));
        const bool structure = r.kind == StatementClass::StructureChanging;
        if (structure)
            db::ExecSQL(m_database, QStringLiteral("SAVEPOINT ") + kStructureSavepoint);
        IBQuery1.execSQL();
        m_elapsed = elapsedSince(start);
        const qint64 rows = qMax<qint64>(0, IBQuery1.rowsAffected());
        if (structure) {
            // Done only once the commit went through; a refused one leaves the
            // history, the editor and the pending flag as they were.
            commitAndReconnect(true);
            r.reconnected = true;
        }
        m_rowsAffected = rows;
        ShowMessageBox(QStringLiteral("Operação concluída.\rTotal de registrados atualizados: ") +
                           FormatThousands(rows),
                       QString(), platform::MB_OK | platform::MB_ICONINFORMATION);
    } else {
        ScopedCursor wait(platform::CursorKind::SqlWait);
        ShowStatus(m_statusBar, 3, QStringLiteral("Aguarde, executando consulta... "));
        prepareEditing();
        IBQuery1.open();
        m_elapsed = elapsedSince(start);
        m_rowsAffected = qMax<qint64>(0, IBQuery1.rowsAffected());
    }
    r.ran = true;
    m_lastStatement = editorText;
    m_history.add(editorText);
    if (r.kind == StatementClass::DataChanging || r.kind == StatementClass::StructureChanging)
        m_pending = true;
    return r;
}

void ConsoleSession::openQuery(const QString &text) {
    ScopedCursor wait(platform::CursorKind::SqlWait);
    IBQuery1.close();
    IBQuery1.setSqlText(text);
    ShowStatus(m_statusBar, 3, QStringLiteral("Aguarde, executando consulta... "));
    const TDateTime start = Now();
    prepareEditing();
    IBQuery1.open();
    ShowStatus(m_statusBar, 3, elapsedSince(start));
    m_lastStatement = text;
}

QString ConsoleSession::tableOfQuery() const {
    return TableOfStatement(IBQuery1.sqlText());
}

void ConsoleSession::prepareEditing() {
    IBUpdateSQL = db::UpdateSQL();
    IBQuery1.setUpdateObject(nullptr);
    const QString table = tableOfQuery();
    const QString key = m_keys.valueOf(table).trimmed();
    if (key.isEmpty())
        return;
    if (IBQuery1.sqlText().trimmed().isEmpty())
        IBQuery1.setSqlText(QStringLiteral("Select * from ") + table);
    IBQuery1.prepare();
    IBUpdateSQL =
        db::GenerateEditStatements(table, {key}, IBQuery1.fieldNames(), db::ConsoleStyle());
    IBQuery1.setUpdateObject(&IBUpdateSQL);
}

void ConsoleSession::commit() {
    m_database->defaultTransaction()->commitRetaining();
    m_pending = false;
}

void ConsoleSession::rollback() {
    m_database->defaultTransaction()->rollbackRetaining();
    m_pending = false;
}

void ConsoleSession::reconnect() {
    commitAndReconnect(false);
}

void ConsoleSession::commitAndReconnect(bool toSavepoint) {
    ScopedCursor wait(platform::CursorKind::SqlWait);
    // Committed here rather than by the connection's close, which would roll a
    // refused commit back and say nothing.
    // A refused commit leaves the transaction open: the structure change is undone
    // there, the work before it kept.
    ScopeGuard undoChange([this, toSavepoint] {
        if (toSavepoint)
            db::ExecSQL(m_database, QStringLiteral("ROLLBACK TO SAVEPOINT ") + kStructureSavepoint);
    });
    m_database->defaultTransaction()->commit();
    undoChange.dismiss();
    m_database->close();
    m_database->open();
}

} // namespace bkp::tools
