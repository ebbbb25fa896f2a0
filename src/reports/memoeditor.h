#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace bkp::db {
class DataSet;
}

namespace bkp::reports {

// A modal editor of one memo field of the current row: OK stores the text (the row
// is edited and posted) and answers 1, Cancel leaves the row as it was.
class TfMemoEditor : public QDialog {
    Q_OBJECT
public:
    TfMemoEditor(db::DataSet *dataSet, const QString &fieldName, QWidget *parent = nullptr);
    static int Execute(db::DataSet *dataSet, const QString &fieldName, QWidget *parent = nullptr);
    QPlainTextEdit *editor() const { return m_editor; }
    void accept() override;

private:
    db::DataSet *m_dataSet;
    QString m_fieldName;
    QPlainTextEdit *m_editor;
};

} // namespace bkp::reports
