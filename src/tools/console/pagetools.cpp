#include "tools/console/pagetools.h"

#include "db/dataset.h"
#include "reports/memoeditor.h"
#include "tools/consolesession.h"
#include "widgets/dbgrid.h"

#include <QToolButton>

namespace bkp::tools::console {

QToolButton *toolButton(QWidget *parent, const QString &name, const QString &caption,
                        const QString &hint) {
    auto *b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(caption);
    b->setToolTip(hint);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}

const QStringList &navigatorHints() {
    static const QStringList hints = {
        QStringLiteral("Primeiro registro"), QStringLiteral("Registro anterior"),
        QStringLiteral("Próximo registro"),  QStringLiteral("Último registro"),
        QStringLiteral("Incluir registro"),  QStringLiteral("Excluir registro"),
        QStringLiteral("Editar registro"),   QStringLiteral("Salvar edição"),
        QStringLiteral("Cancelar edição"),   QStringLiteral("Atualizar dados")};
    return hints;
}

QString recordPosition(const db::DataSet &ds) {
    return ds.active() ? QStringLiteral("Recno %1/%2").arg(ds.recNo()).arg(ds.recordCount())
                       : QString();
}

void editMemo(widgets::DBGrid *grid, const QString &fieldName, ConsoleSession *session,
              QWidget *parent) {
    db::DataSet *ds = grid->dataSet();
    db::Field *f = ds ? ds->findField(fieldName) : nullptr;
    if (!ds || ds->isEmpty() || !f || !f->isMemo())
        return;
    if (reports::TfMemoEditor::Execute(ds, fieldName, parent) == 1)
        session->setPending();
}

} // namespace bkp::tools::console
