#include "db/jobqueries.h"

#include "db/datamodule.h"
#include "lib/ui.h"

namespace bkp::db {

QStringList backupsUpdateColumns() {
    return {QStringLiteral("ID"),           QStringLiteral("BACKUPNAME"),
            QStringLiteral("BACKUPFILE"),   QStringLiteral("ATIVO"),
            QStringLiteral("TIPO"),         QStringLiteral("UTILITARIO"),
            QStringLiteral("PARAMETROS"),   QStringLiteral("DATA"),
            QStringLiteral("HORA"),         QStringLiteral("FTP"),
            QStringLiteral("FTP_HOST"),     QStringLiteral("FTP_USER"),
            QStringLiteral("FTP_PASSWORD"), QStringLiteral("FTP_DATA"),
            QStringLiteral("FTP_HORA"),     QStringLiteral("FTP_LASTSEND"),
            QStringLiteral("BACKUPFOLDER"), QStringLiteral("BACKUPACTIVE"),
            QStringLiteral("FTP_ACTIVE"),   QStringLiteral("FTP_FOLDER"),
            QStringLiteral("FTP_LASTERR"),  QStringLiteral("FTP_PASSIVE")};
}

QStringList arquivosUpdateColumns() {
    return {QStringLiteral("ID"),        QStringLiteral("BACKUP"),   QStringLiteral("PASTA"),
            QStringLiteral("SUBPASTAS"), QStringLiteral("ARQUIVOS"), QStringLiteral("SUBFOLDER")};
}

UpdateSQL keyedUpdateSQL(const QString &table, const QStringList &columns) {
    UpdateSQL u;
    const int n = int(columns.size());
    auto listed = [&](const QString &prefix, const QString &suffix) {
        QStringList lines;
        for (int i = 0; i < n; ++i)
            lines.append(prefix + columns[i] + suffix +
                         (i + 1 < n ? QStringLiteral(",") : QString()));
        return lines;
    };
    u.refreshSQL = QStringList{QStringLiteral("Select")} + listed(QStringLiteral("  "), QString()) +
                   QStringList{QStringLiteral("from ") + table, QStringLiteral("where"),
                               QStringLiteral("  ID = :ID")};
    QStringList sets;
    for (int i = 0; i < n; ++i)
        sets.append(QStringLiteral("  ") + columns[i] + QStringLiteral(" = :") + columns[i] +
                    (i + 1 < n ? QStringLiteral(",") : QString()));
    u.modifySQL = QStringList{QStringLiteral("update ") + table, QStringLiteral("set")} + sets +
                  QStringList{QStringLiteral("where"), QStringLiteral("  ID = :OLD_ID")};
    QStringList marks;
    for (const QString &c : columns)
        marks.append(QLatin1Char(':') + c);
    u.insertSQL = {QStringLiteral("insert into ") + table,
                   QStringLiteral("  (") + columns.join(QStringLiteral(", ")) + QLatin1Char(')'),
                   QStringLiteral("values"),
                   QStringLiteral("  (") + marks.join(QStringLiteral(", ")) + QLatin1Char(')')};
    u.deleteSQL = {QStringLiteral("delete from ") + table, QStringLiteral("where"),
                   QStringLiteral("  ID = :OLD_ID")};
    return u;
}

JobQueries::JobQueries(TDM *dm) {
    IBQuery_Backups.setObjectName(QStringLiteral("IBQuery_Backups"));
    IBQuery_Backups.setDatabase(dm->IBDatabase1);
    IBQuery_Backups.setTransaction(dm->IBTransaction1);
    IBQuery_Backups.setSql(
        {QStringLiteral("select * from BACKUPS"), QStringLiteral("order by backupname")});
    IBUpdateSQL__Backups = keyedUpdateSQL(QStringLiteral("BACKUPS"), backupsUpdateColumns());
    IBQuery_Backups.setUpdateObject(&IBUpdateSQL__Backups);

    IBQuery_Arquivos.setObjectName(QStringLiteral("IBQuery_Arquivos"));
    IBQuery_Arquivos.setDatabase(dm->IBDatabase1);
    IBQuery_Arquivos.setTransaction(dm->IBTransaction1);
    IBQuery_Arquivos.setSql({QStringLiteral("select * from ARQUIVOS"),
                             QStringLiteral("where backup=:backup"),
                             QStringLiteral("order by pasta")});
    IBUpdateSQL_Arquivos = keyedUpdateSQL(QStringLiteral("ARQUIVOS"), arquivosUpdateColumns());
    IBQuery_Arquivos.setUpdateObject(&IBUpdateSQL_Arquivos);
}

void AbrirTabelas(Query *jobQuery) {
    jobQuery->close();
    jobQuery->open();
    platform::CursorKind previous = SwapCursor(platform::CursorKind::Hourglass);
    try {
        int start = jobQuery->recNo();
        jobQuery->last();
        jobQuery->setRecNo(start);
    } catch (...) {
        SwapCursor(previous);
        throw;
    }
    SwapCursor(previous);
}

} // namespace bkp::db
