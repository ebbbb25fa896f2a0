#pragma once

#include "db/database.h"
#include "db/table.h"

#include <QObject>

namespace bkp::db {

// The administrator password of the job database.
extern const char *const AdminPassword;

// The job database's data module: the connection, the one shared transaction of
// the program and the definitions of its two tables.
class TDM : public QObject {
    Q_OBJECT
public:
    explicit TDM(QObject *parent = nullptr);
    ~TDM() override;

    Database *IBDatabase1;
    Transaction *IBTransaction1;
    Table *Backups;
    Table *Arquivos;

    QList<Database *> databases() const { return {IBDatabase1}; }
    // The table definitions on a connection, in the module's order.
    QList<Table *> tables(Database *database) const;
};

// Column definitions of the job tables, in creation order.
QList<FieldDef> backupsFieldDefs();
QList<FieldDef> arquivosFieldDefs();

} // namespace bkp::db
