#include "jobs/jobediting.h"

#include "db/ordering.h"

#include "backup/archivers.h"
#include "backup/backupfolder.h"
#include "db/dataroutines.h"
#include "db/dataset.h"
#include "db/errors.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "lib/datetime.h"
#include "lib/paths.h"
#include "lib/strings.h"
#include "lib/ui.h"
#include "platform/filesystem.h"

namespace bkp::jobs {

namespace {

QString &rememberedOrder() {
    static QString key;
    return key;
}

db::Field *field(db::DataSet &jobs, const char *name) {
    return jobs.fieldByName(QString::fromLatin1(name));
}

QVariant tomorrow() {
    return ToQDate(Date() + 1);
}

QVariant noon() {
    return QTime(12, 0);
}

} // namespace

QString defaultArchiver() {
    return backup::DefaultArchiver().program;
}

QString defaultArchiverSwitches() {
    return backup::DefaultArchiver().switches;
}

QString ArchiverSaveWarning(const db::DataSet &jobs) {
    const db::Field *archiver = jobs.findField(QStringLiteral("UTILITARIO"));
    return archiver ? backup::ArchiverWarning(archiver->asString()) : QString();
}

bool insideKapriFolder(const QString &programPath) {
    const QChar sep = platform::fs::separator();
    return UpperTrim(programPath).contains(sep + QStringLiteral("KAPRI_10") + sep);
}

void SetDefaultValues(db::DataSet &jobs, const JobDefaults &defaults) {
    if (!insideKapriFolder(defaults.programPath))
        return;
    db::DefaultIfNull(field(jobs, "FTP_ACTIVE"), 1);
    // Without a configured server the host stays empty for the operator to fill.
    if (!defaults.defaultFtpHost.isEmpty())
        db::DefaultIfNull(field(jobs, "FTP_HOST"), defaults.defaultFtpHost);
    db::DefaultIfNull(field(jobs, "FTP_USER"), QStringLiteral("orbelan"));
    db::DefaultIfNull(field(jobs, "FTP_PASSWORD"), QStringLiteral("r5tn8vqe"));
    db::DefaultIfNull(field(jobs, "FTP_FOLDER"), QStringLiteral("backups"));
    db::DefaultIfNull(field(jobs, "FTP_HORA"), noon());
    db::DefaultIfNull(field(jobs, "FTP_DATA"), tomorrow());
}

void IBQuery_BackupsAfterInsert(db::DataSet &jobs, db::Table *backupsTable,
                                const JobDefaults &defaults) {
    db::NextID(backupsTable, field(jobs, "ID"));
    field(jobs, "UTILITARIO")->setValue(defaultArchiver());
    field(jobs, "PARAMETROS")->setValue(defaultArchiverSwitches());
    field(jobs, "DATA")->setValue(tomorrow());
    field(jobs, "HORA")->setValue(noon());
    field(jobs, "TIPO")->setValue(0);
    field(jobs, "BACKUPACTIVE")->setValue(0);
    SetDefaultValues(jobs, defaults);
}

void IBQuery_BackupsAfterEdit(db::DataSet &jobs, const JobDefaults &defaults) {
    db::DefaultIfNull(field(jobs, "DATA"), tomorrow());
    db::DefaultIfNull(field(jobs, "HORA"), noon());
    SetDefaultValues(jobs, defaults);
}

void IBQuery_BackupsBeforePost(db::DataSet &jobs, db::Table *backupsTable, int tipoIndex) {
    // The row stays in editing for the operator to mend the name.
    const QString file = field(jobs, "BACKUPFILE")->asString();
    if (!backup::ArchiveNameInsideFolder(file)) {
        ShowMessageBox(backup::ArchiveNameRefusedText(file), QString(),
                       platform::MB_OK | platform::MB_ICONERROR);
        throw db::AbortError();
    }
    db::Field *folder = field(jobs, "BACKUPFOLDER");
    folder->setValue(
        backup::BackupFolderFor(field(jobs, "BACKUPNAME")->asString(), folder->asString()));
    field(jobs, "TIPO")->setValue(VarMax(tipoIndex, 0));
    db::NextID(backupsTable, field(jobs, "ID"));
    // A row that will be refused creates no folder.
    jobs.checkFieldSizes();
    ForceFolder(folder->asString());
}

QString JobValueTooLongText(const db::DataSet &jobs, const QString &column, const QString &caption,
                            int limit) {
    const db::Field *f = jobs.findField(column);
    const int length = f ? int(f->asString().size()) : 0;
    QString text = QStringLiteral("O campo \"%1\" aceita no máximo %2 caracteres (o valor "
                                  "informado tem %3).")
                       .arg(caption)
                       .arg(limit)
                       .arg(length);
    if (column.compare(QLatin1String("BACKUPFOLDER"), Qt::CaseInsensitive) == 0) {
        const QString sep(platform::fs::separator());
        const db::Field *name = jobs.findField(QStringLiteral("BACKUPNAME"));
        text += QStringLiteral(" Ao salvar, o programa acrescenta \"%1\" à pasta informada; "
                               "escolha uma pasta de caminho mais curto.")
                    .arg(sep + QStringLiteral("BACKUPS") + sep +
                         (name ? Trim(name->asString()) : QString()));
    }
    return text + QStringLiteral(" O registro não foi gravado.");
}

void DeleteJob(db::Database *database, db::DataSet &jobs) {
    db::ExecSQL(database, QStringLiteral("Delete from Arquivos where backup=") +
                              QString::number(field(jobs, "ID")->asInteger()));
    jobs.deleteRecord();
}

bool OrderByColumn(db::Query &query, const QString &ownerKey, const QString &fieldName) {
    db::Field *f = query.fieldByName(fieldName);
    if (f->calculated()) {
        ShowMessageBox(QStringLiteral("Não é possível ordenar um campo calculado."), QString(),
                       platform::MB_OK | platform::MB_ICONINFORMATION);
        return false;
    }
    if (f->isBlob()) {
        const bool memo = f->isMemo();
        ShowMessageBox(QStringLiteral("Não é possível ordenar um campo do tipo ") +
                       (memo ? QStringLiteral("MEMO.") : QStringLiteral("BLOB.")));
        return false;
    }
    const QString expression = db::OrderExpression(*f);
    const QString sql =
        db::OrderedStatement(query.sqlText(), expression,
                             UpperTrim(ownerKey + query.objectName()) + UpperTrim(expression),
                             rememberedOrder(), Qt::CaseInsensitive);
    query.close();
    query.setSqlText(sql);
    query.open();
    return true;
}

void resetOrderMemory() {
    rememberedOrder().clear();
}

} // namespace bkp::jobs
