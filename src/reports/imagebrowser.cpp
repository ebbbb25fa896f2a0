#include "reports/imagebrowser.h"

#include "db/dataset.h"
#include "db/field.h"
#include "widgets/dbnavigator.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace bkp::reports {

TfImageBrowser::TfImageBrowser(db::DataSet *data, QWidget *parent) : QDialog(parent), m_data(data) {
    setWindowTitle(QStringLiteral("Imagens"));
    resize(640, 520);
    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    DBNavigator1 = new widgets::DBNavigator(this);
    DBNavigator1->setVisibleButtons({widgets::DBNavigator::First, widgets::DBNavigator::Prior,
                                     widgets::DBNavigator::Next, widgets::DBNavigator::Last});
    DBNavigator1->setDataSet(data);
    top->addWidget(DBNavigator1);
    top->addWidget(new QLabel(QStringLiteral("Campo:"), this));
    ComboBox_Campos = new QComboBox(this);
    ComboBox_Campos->addItems(imageFields());
    top->addWidget(ComboBox_Campos, 1);
    layout->addLayout(top);
    Image1 = new QLabel(this);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setMinimumSize(200, 150);
    Image1->setStyleSheet(QStringLiteral("QLabel { background: white; border: 1px solid gray; }"));
    layout->addWidget(Image1, 1);
    Label_Status = new QLabel(this);
    layout->addWidget(Label_Status);

    connect(ComboBox_Campos, &QComboBox::currentTextChanged, this, &TfImageBrowser::showRecord);
    // The window follows the data set while it is open; closing it disconnects.
    if (m_data) {
        connect(m_data, &db::DataSet::recordChanged, this, &TfImageBrowser::showRecord);
        connect(m_data, &db::DataSet::layoutChanged, this, &TfImageBrowser::showRecord);
    }
    showRecord();
}

QStringList TfImageBrowser::imageFields() const {
    QStringList names;
    if (!m_data || !m_data->active())
        return names;
    for (int i = 0; i < m_data->fieldCount(); ++i) {
        const db::Field *f = m_data->field(i);
        if (f->isBlob() && f->dataType() != db::FieldType::Memo)
            names.append(f->fieldName());
    }
    return names;
}

void TfImageBrowser::setImageField(const QString &fieldName) {
    ComboBox_Campos->setCurrentText(fieldName);
}

QString TfImageBrowser::statusText() const {
    return Label_Status->text();
}

void TfImageBrowser::showRecord() {
    m_image = QImage();
    const db::Field *f = m_data && m_data->active() && !m_data->isEmpty()
                             ? m_data->findField(ComboBox_Campos->currentText())
                             : nullptr;
    QString status;
    if (!f)
        status = QStringLiteral("Nenhum campo de imagem");
    else if (f->isNull())
        status = QStringLiteral("Registro %1: sem imagem").arg(m_data->recNo());
    else if (!m_image.loadFromData(f->value().toByteArray()))
        status = QStringLiteral("Registro %1: o conteúdo não é uma imagem").arg(m_data->recNo());
    else
        status = QStringLiteral("Registro %1/%2: %3 x %4")
                     .arg(m_data->recNo())
                     .arg(m_data->recordCount())
                     .arg(m_image.width())
                     .arg(m_image.height());
    Label_Status->setText(status);
    fitImage();
}

void TfImageBrowser::fitImage() {
    if (m_image.isNull()) {
        Image1->setPixmap(QPixmap());
        return;
    }
    const QSize room = Image1->contentsRect().size();
    QPixmap pixmap = QPixmap::fromImage(m_image);
    // Larger pictures are shown whole; smaller ones at their own size.
    if (pixmap.width() > room.width() || pixmap.height() > room.height())
        pixmap = pixmap.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    Image1->setPixmap(pixmap);
}

void TfImageBrowser::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    fitImage();
}

} // namespace bkp::reports
