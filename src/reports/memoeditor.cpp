#include "reports/memoeditor.h"

#include "db/dataset.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace bkp::reports {

TfMemoEditor::TfMemoEditor(db::DataSet *dataSet, const QString &fieldName, QWidget *parent)
    : QDialog(parent), m_dataSet(dataSet), m_fieldName(fieldName) {
    setObjectName(QStringLiteral("TfMemoEditor"));
    setWindowTitle(QStringLiteral("Editar ") + fieldName);
    auto *box = new QVBoxLayout(this);
    m_editor = new QPlainTextEdit(this);
    m_editor->setPlainText(dataSet->fieldByName(fieldName)->value().toString());
    m_editor->setReadOnly(!dataSet->canModify());
    box->addWidget(m_editor, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
    box->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TfMemoEditor::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TfMemoEditor::reject);
    resize(640, 420);
}

void TfMemoEditor::accept() {
    // A read-only result closes as Cancel would: nothing was changed.
    if (!m_dataSet->canModify()) {
        reject();
        return;
    }
    m_dataSet->edit();
    m_dataSet->fieldByName(m_fieldName)->setValue(m_editor->toPlainText());
    m_dataSet->post();
    QDialog::accept();
}

int TfMemoEditor::Execute(db::DataSet *dataSet, const QString &fieldName, QWidget *parent) {
    TfMemoEditor editor(dataSet, fieldName, parent);
    return editor.exec() == QDialog::Accepted ? 1 : 0;
}

} // namespace bkp::reports
