#pragma once

#include "db/database.h"
#include "db/table.h"

#include <QObject>

namespace bkp::jobdb {

// The administrator password of the job database.
extern const char *const AdminPassword;

// The job database's data module: the connection, the one shared transaction of
// the program and the definitions of its two tables.
class TDM : public QObject {
    Q_OBJECT
public:
    explicit TDM(QObject *parent = nullptr);
    ~TDM() override;

    db::Database *IBDatabase1;
    db::Transaction *IBTransaction1;
    db::Table *Backups;
    db::Table *Arquivos;

    QList<db::Database *> databases() const { return {IBDatabase1}; }
    // The table definitions on a connection, in the module's order.
    QList<db::Table *> tables(db::Database *database) const;
};

// Column definitions of the job tables, in creation order.
QList<db::FieldDef> backupsFieldDefs();
QList<db::FieldDef> arquivosFieldDefs();

} // namespace bkp::jobdb
