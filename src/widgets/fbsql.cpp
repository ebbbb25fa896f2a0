#include "widgets/fbsql.h"

#include "db/database.h"
#include "db/statement.h"
#include "db/table.h"
#include "lib/datetime.h"
#include "lib/ui.h"
#include "widgets/rascunho.h"

namespace bkp::widgets {

namespace {

// The date origin stands for "no date": the column gets NULL.
bool isZeroDate(const QVariant &value) {
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate() == epochDate();
    case QMetaType::QDateTime:
        return value.toDateTime() == QDateTime(epochDate(), QTime(0, 0));
    default:
        return false;
    }
}

} // namespace

void TFBSQL::Add(const QString &fieldName, const QVariant &value, bool include) {
    if (include)
        m_params.append({fieldName, value});
}

QStringList TFBSQL::statementLines(const QString &condition) const {
    QStringList lines;
    lines << QStringLiteral("Update ") + (Table ? Table->tableName() : TableName);
    lines << QStringLiteral("Set");
    for (int i = 0; i < m_params.size(); ++i) {
        const QString &f = m_params.at(i).fieldName;
        lines << f + QStringLiteral("=:") + f +
                     (i + 1 < m_params.size() ? QStringLiteral(",") : QString());
    }
    lines << QStringLiteral("Where ") + condition;
    return lines;
}

int TFBSQL::Update(const QString &condition) {
    if (TableName.isEmpty() && !Table)
        throw std::runtime_error(
            QStringLiteral("Informe o nome da tabela para\rpoder executar a operação de update.")
                .toStdString());
    if (condition.isEmpty())
        throw std::runtime_error(
            QStringLiteral("Informe a cláusula WHERE para\rpoder executar a operação de update.")
                .toStdString());
    const QStringList lines = statementLines(condition);
    try {
        if (!Database)
            throw db::DatabaseError(QStringLiteral("Sem conexão com o banco de dados"));
        // The parameters go by position, whatever their names.
        const db::ParsedSql parsed = db::parseParams(lines.join(QLatin1Char('\n')));
        QVector<QVariant> values;
        for (const TParametros &p : m_params)
            values.append(isZeroDate(p.value) ? QVariant() : p.value);
        db::Statement statement(Database, Database->defaultTransaction());
        statement.prepare(parsed.sql);
        return int(qMax<qint64>(0, statement.execute(values)));
    } catch (const db::DatabaseError &e) {
        ShowMessageBox(QStringLiteral("Falha ao inserir o registro:\r") + e.message(), QString(),
                       platform::MB_OK | platform::MB_ICONINFORMATION);
        ShowLines(lines);
        return 0;
    }
}

} // namespace bkp::widgets
