#include "backup/archiverun.h"

#include "backup/archiverwatch.h"
#include "backup/backupfolder.h"
#include "db/dataroutines.h"
#include "db/query.h"
#include "jobdb/archiveoutcome.h"
#include "jobdb/datamodule.h"
#include "jobdb/jobclaim.h"
#include "lib/calendar.h"
#include "lib/paths.h"
#include "lib/sqltext.h"
#include "lib/strings.h"
#include "lib/ui.h"
#include "platform/filesystem.h"
#include "platform/process.h"

namespace bkp::backup {

namespace fs = platform::fs;

QString ArchiveExtension(const QString &archiver) {
    const QString upper = AnsiUpperCase(archiver);
    // Installed here under their plain names: /usr/bin/rar, /usr/bin/arj, ...
    const QString program = UpperTrim(fs::extractFileName(Trim(archiver)));
    QString extension;
    if (upper.contains(QLatin1String("WINRAR.EXE")) || program == QLatin1String("RAR"))
        extension = QStringLiteral(".rar");
    if (upper.contains(QLatin1String("WINARJ.EXE")) || program == QLatin1String("ARJ"))
        extension = QStringLiteral(".arj");
    if (upper.contains(QLatin1String("WINZIP.EXE")) || program == QLatin1String("ZIP"))
        extension = QStringLiteral(".zip");
    else if (upper.contains(QLatin1String("WINZIP32.EXE")))
        extension = QStringLiteral(".zip");
    if (program == QLatin1String("7Z") || program == QLatin1String("7ZA") ||
        program == QLatin1String("7ZZ"))
        extension = QStringLiteral(".7z");
    return extension;
}

namespace {

void openQuery(db::Query &query, jobdb::TDM *dm, const QString &sql, const QString &param,
               int jobId) {
    query.setDatabase(dm->IBDatabase1);
    query.setTransaction(dm->IBTransaction1);
    query.setSqlText(sql);
    query.paramByName(param).setValue(jobId);
    query.open();
}

// Moves the archive of the previous run to its rotation name in the same folder,
// replacing what had that name. Returns the target, or empty when nothing was moved.
QString rotatePrevious(const QString &folder, const QString &archivePath, const QString &extension,
                       int tipo) {
    const QList<platform::FileEntry> previous = ListFiles(archivePath);
    if (previous.isEmpty())
        return QString();
    const int type = IfThenValue(tipo < 0, 0, tipo);
    // A type the job editor cannot give: no rotation, so nothing is deleted or moved.
    if (type > 4)
        return QString();
    const TDateTime oldDate = FromQDateTime(previous.first().lastWrite);
    const QString name = RotationName(type, type == 4 ? Date() : oldDate);
    const QString target = folder + name + extension;
    fs::deleteFile(target);
    fs::renameFile(archivePath, target);
    return target;
}

// The masks of every file-set row joined to their folders, each after a blank,
// and whether any row wants its sub-folders.
QString fileList(db::Query &files, int &subFolders) {
    const QString sep(fs::separator());
    QString list;
    subFolders = 0;
    for (files.first(); !files.eof(); files.next()) {
        const QString folder = files.fieldByName(QStringLiteral("PASTA"))->asString();
        const QStringList masks = SplitString(
            files.fieldByName(QStringLiteral("ARQUIVOS"))->asString(), QLatin1Char(' '), true);
        for (const QString &mask : masks)
            list += Spaces(1) + JoinPath(folder, mask, sep);
        if (files.fieldByName(QStringLiteral("SUBFOLDER"))->asString() == QLatin1String("0"))
            ++subFolders;
    }
    return list;
}

} // namespace

namespace {

QString nextDateSql(int jobId, double date) {
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("Update Backups") + crlf + QStringLiteral("Set") + crlf +
           QStringLiteral("Data=") + SqlDate(date) + crlf + QStringLiteral("Where ID=") +
           QString::number(jobId);
}

} // namespace

ArchiveRunResult runArchive(const ArchiveRunContext &context, int jobId) {
    ArchiveRunResult result;
    jobdb::TDM *dm = context.DM;

    // The archive of this run exists already: running again would rotate it onto
    // an older rotation name and lose that one. Only the date is tried again; its
    // failure was reported when the run happened.
    if (context.pending && context.pending->contains(jobId)) {
        const double date = context.pending->value(jobId);
        if (date > Date()) {
            result.jobFound = true;
            result.updateSql = nextDateSql(jobId, date);
            try {
                jobdb::JobClaim::store(dm->IBDatabase1, context.claim, result.updateSql);
                dm->IBTransaction1->commitRetaining();
                context.pending->remove(jobId);
                db::RefreshUnlessEditing(context.IBQuery_Backups);
            } catch (const db::DatabaseError &) {
            }
            return result;
        }
        // A new day: the job is due for a run of its own.
        context.pending->remove(jobId);
    }

    db::Query backups;
    openQuery(backups, dm, QStringLiteral("Select * from Backups where ID=:ID"),
              QStringLiteral("ID"), jobId);
    db::Query arquivos;
    openQuery(arquivos, dm, QStringLiteral("Select * from Arquivos where Backup=:Backup"),
              QStringLiteral("Backup"), jobId);
    if (backups.isEmpty())
        return result;
    result.jobFound = true;

    // A scheduled run that already started today at or after the job's time (a
    // previous run of the program whose date could not be stored) would rotate
    // today's archive onto last week's name: only the date is stored.
    if (context.claim && !context.byHand) {
        const db::Field *started = backups.findField(QStringLiteral("BACKUP_LASTSTART"));
        const TDateTime hora = TimeOf(backups.fieldByName(QStringLiteral("HORA"))->asDateTime());
        if (started && !started->isNull() && DateOf(started->asDateTime()) == Date() &&
            TimeOf(started->asDateTime()) >= hora) {
            backups.close();
            arquivos.close();
            result.updateSql = nextDateSql(jobId, Date() + 1);
            jobdb::JobClaim::store(dm->IBDatabase1, context.claim, result.updateSql);
            dm->IBTransaction1->commitRetaining();
            db::RefreshUnlessEditing(context.IBQuery_Backups);
            return result;
        }
    }

    const int tipo = backups.fieldByName(QStringLiteral("TIPO"))->asInteger();
    const QString utilitario = backups.fieldByName(QStringLiteral("UTILITARIO"))->asString();
    const QString backupFolder = backups.fieldByName(QStringLiteral("BACKUPFOLDER"))->asString();

    const QString backupFile = backups.fieldByName(QStringLiteral("BACKUPFILE"))->asString();
    // A name that leads out of the backup folder would rotate and overwrite files
    // elsewhere: nothing is touched or started, and the operator is told.
    const bool nameInside = ArchiveNameInsideFolder(backupFile);
    if (!nameInside)
        ShowMessageBox(ArchiveNameRefusedText(backupFile), QString(),
                       platform::MB_OK | platform::MB_ICONERROR);
    ArchiverWatch *watch = context.watch;
    result.refused = watch && watch->running(jobId);
    RunOutcome notStarted; // why the archiver could not be started, when watched
    // Without a folder the resolution would put the archives at the root of the
    // file system: nothing is created or started then.
    if (nameInside && !Trim(backupFolder).isEmpty() && !result.refused) {
        result.folder = AnsiLowerCase(SetFolderBackup(backupFolder));
        ForceFolder(result.folder);

        const QString extension = ArchiveExtension(utilitario);
        result.archivePath =
            LowerCaseAZ(JoinPath(result.folder, backupFile, QString(fs::separator())) + extension);

        // Recorded before anything is touched: from here on any program on this
        // database sees the run as not ended well, so no upload sends its archive.
        // It is committed with the next date, as that is (a row locked elsewhere
        // stops the run here, before anything was renamed or started).
        if (watch) {
            const QString startSql = jobdb::ArchiveStartSql(jobId, Now());
            if (context.claim && context.claim->held())
                context.claim->execute(startSql);
            else
                db::ExecSQL(dm->IBDatabase1, startSql);
        }
        result.rotatedTo = rotatePrevious(result.folder, result.archivePath, extension, tipo);

        QString parametros = backups.fieldByName(QStringLiteral("PARAMETROS"))->asString();
        int subFolders = 0;
        const QString files = fileList(arquivos, subFolders);
        // The program never adds sub-folders itself; it only takes them away.
        if (subFolders == 0)
            parametros = ReplaceText(parametros, QStringLiteral("-r"), QString(), 0);

        result.commandLine = LowerCaseAZ(utilitario + Spaces(1) + parametros + Spaces(1) +
                                         result.archivePath + Spaces(1) + files);
        if (watch) {
            result.started =
                watch->start(jobId, result.commandLine, result.archivePath, &notStarted);
        } else {
            const ProcessStart start =
                context.start ? context.start : ProcessStart(platform::winExec);
            result.started = start(result.commandLine, platform::SW_SHOW);
        }
    }
    backups.close();
    arquivos.close();

    // Recorded once the claim on the row is given up, whatever the date's store did.
    auto recordOutcome = [&] {
        if (!watch)
            return;
        if (result.refused)
            watch->recordRefusal(jobId, StillRunningText());
        else if (!result.commandLine.isEmpty() && !result.started)
            watch->recordEnd(jobId, notStarted);
    };
    const double next = Date() + 1;
    result.updateSql = nextDateSql(jobId, next);
    try {
        jobdb::JobClaim::store(dm->IBDatabase1, context.claim, result.updateSql);
        dm->IBTransaction1->commitRetaining();
    } catch (const db::DatabaseError &) {
        if (context.pending &&
            (result.started || !result.commandLine.isEmpty() || !result.rotatedTo.isEmpty()))
            context.pending->insert(jobId, next);
        recordOutcome();
        throw;
    }
    recordOutcome();

    db::RefreshUnlessEditing(context.IBQuery_Backups);
    return result;
}

QString StillRunningText() {
    return QStringLiteral("Backup não iniciado: o compactador da execução anterior ainda está "
                          "trabalhando");
}

ArchiveRunResult runSelectedJob(const ArchiveRunContext &context) {
    db::DataSet *jobs = context.IBQuery_Backups;
    if (!jobs || !jobs->active() || jobs->isEmpty())
        return ArchiveRunResult();
    const int id = jobs->fieldByName(QStringLiteral("ID"))->asInteger();
    // A second run would rename the archive the archiver is writing.
    if (context.watch && context.watch->running(id)) {
        ShowMessageBox(StillRunningText() + QLatin1Char('.'), QString(),
                       platform::MB_OK | platform::MB_ICONWARNING);
        ArchiveRunResult refused;
        refused.jobFound = true;
        refused.refused = true;
        return refused;
    }
    // Another program on this database may be archiving or sending the job: a
    // second run would rotate the archive it writes or sends.
    jobdb::JobClaim claim(context.DM->IBDatabase1);
    if (!claim.takeAfterCommit(id)) {
        ShowMessageBox(jobdb::JobClaim::ClaimedElsewhereText(
                           jobs->fieldByName(QStringLiteral("BACKUPNAME"))->asString()),
                       QString(), platform::MB_OK | platform::MB_ICONWARNING);
        ArchiveRunResult refused;
        refused.jobFound = true;
        refused.refused = true;
        return refused;
    }
    // The operator asks for a new run, whatever the schedule remembers.
    if (context.pending)
        context.pending->remove(id);
    ArchiveRunContext run = context;
    run.claim = &claim;
    run.byHand = true;
    return runArchive(run, id);
}

} // namespace bkp::backup
