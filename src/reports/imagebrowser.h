#pragma once

#include <QDialog>

class QComboBox;
class QLabel;

namespace bkp::db {
class DataSet;
}
namespace bkp::widgets {
class DBNavigator;
}

namespace bkp::reports {

// A window over a data set that shows the picture stored in one of its blob
// columns for the current record, following the data set as it moves (through
// its own navigator or anyone else's) for as long as the window is open.
class TfImageBrowser : public QDialog {
    Q_OBJECT
public:
    explicit TfImageBrowser(db::DataSet *data, QWidget *parent = nullptr);

    // The blob columns the operator may choose from, in field order.
    QStringList imageFields() const;
    void setImageField(const QString &fieldName);
    // The picture of the current record as shown (null when there is none).
    QImage currentImage() const { return m_image; }
    QString statusText() const;

    QComboBox *ComboBox_Campos = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Label_Status = nullptr;
    widgets::DBNavigator *DBNavigator1 = nullptr;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void showRecord();
    void fitImage();

    db::DataSet *m_data;
    QImage m_image;
};

} // namespace bkp::reports
