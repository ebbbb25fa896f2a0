#include "widgets/dbcontrols.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace bkp::widgets {

// ---------------------------------------------------------------------- DBEdit

DBEdit::DBEdit(QWidget *parent) : QLineEdit(parent), m_link(this, [this] { showField(); }) {
    connect(this, &QLineEdit::textEdited, this, &DBEdit::typed);
    connect(this, &QLineEdit::editingFinished, this, &DBEdit::commit);
}

void DBEdit::bind(db::DataSet *dataSet, const QString &fieldName) {
    m_link.setFieldName(fieldName);
    m_link.setDataSet(dataSet);
}

// Characters an edit shows of its field: short columns, dates, times and numbers
// get a width that fits them; 0 for the long ones, which take what the window gives.
int DBEdit::fittingLength(const db::Field *f) {
    if (!f)
        return 0;
    switch (f->dataType()) {
    case db::FieldType::Date:
        return 10;
    case db::FieldType::Time:
        return 8;
    case db::FieldType::DateTime:
        return 19;
    case db::FieldType::Smallint:
    case db::FieldType::Integer:
    case db::FieldType::Word:
    case db::FieldType::Float:
        return 12;
    default:
        break;
    }
    return f->isText() && f->size() > 0 && f->size() <= 20 ? f->size() : 0;
}

void DBEdit::showField() {
    db::Field *f = m_link.field();
    if (const int chars = fittingLength(f)) {
        // Capitals are the widest letters the upper-cased columns hold.
        const int text = fontMetrics().horizontalAdvance(QString(chars + 1, QLatin1Char('W')));
        setMaximumWidth(text + 2 * (textMargins().left() + 6));
    } else {
        setMaximumWidth(QWIDGETSIZE_MAX);
    }
    const QString text = f ? f->asString() : QString();
    // Typing stops at the field's size, but a longer value set by the program is shown
    // whole: the edit must not cut it (storing it is refused instead).
    setMaxLength(f && f->isText() && f->size() > 0 ? qMax(f->size(), int(text.size())) : 32767);
    if (QLineEdit::text() != text)
        setText(text);
    setReadOnly(!m_link.editable());
}

void DBEdit::typed(const QString &text) {
    QString t = text;
    if (m_case == CharCase::Upper)
        t = t.toUpper();
    else if (m_case == CharCase::Lower)
        t = t.toLower();
    if (t != text) {
        int pos = cursorPosition();
        setText(t);
        setCursorPosition(pos);
    }
    db::Field *f = m_link.field();
    // Text goes into the field as it is typed; a date or a number once it is whole.
    if (f && (f->isText() || f->dataType() == db::FieldType::Memo))
        m_link.store(t);
    else if (m_link.dataSet() && m_link.dataSet()->state() == db::DataSetState::Browse &&
             m_link.editable())
        m_link.dataSet()->edit();
}

void DBEdit::setPassword(bool on) {
    setEchoMode(on ? QLineEdit::Password : QLineEdit::Normal);
    setStyleSheet(on ? QStringLiteral("QLineEdit { lineedit-password-character: 42; }")
                     : QString());
}

void DBEdit::commit() {
    db::Field *f = m_link.field();
    if (!f || !m_link.dataSet() || m_link.dataSet()->state() == db::DataSetState::Browse)
        return;
    if (f->asString() != text())
        m_link.store(text());
}

// ------------------------------------------------------------------ DBCheckBox

DBCheckBox::DBCheckBox(const QString &caption, QWidget *parent)
    : QCheckBox(caption, parent), m_link(this, [this] { showField(); }) {
    connect(this, &QCheckBox::clicked, this, [this](bool on) {
        if (!m_link.store(on ? m_checked : m_unchecked))
            showField();
    });
}

void DBCheckBox::bind(db::DataSet *dataSet, const QString &fieldName) {
    m_link.setFieldName(fieldName);
    m_link.setDataSet(dataSet);
}

void DBCheckBox::setValues(const QString &checked, const QString &unchecked) {
    m_checked = checked;
    m_unchecked = unchecked;
    m_link.refresh();
}

void DBCheckBox::showField() {
    db::Field *f = m_link.field();
    setChecked(f && !f->isNull() && f->asString().compare(m_checked, Qt::CaseInsensitive) == 0);
}

// ---------------------------------------------------------------- DBRadioGroup

DBRadioGroup::DBRadioGroup(const QString &caption, QWidget *parent)
    : QGroupBox(caption, parent), m_link(this, [this] { showField(); }),
      m_group(new QButtonGroup(this)) {
    new QVBoxLayout(this);
    connect(m_group, &QButtonGroup::idClicked, this, [this](int id) {
        if (!m_link.store(m_values.value(id)))
            showField();
    });
}

void DBRadioGroup::bind(db::DataSet *dataSet, const QString &fieldName) {
    m_link.setFieldName(fieldName);
    m_link.setDataSet(dataSet);
}

void DBRadioGroup::setItems(const QStringList &captions, const QStringList &values) {
    for (QAbstractButton *b : m_group->buttons())
        delete b;
    m_values = values;
    for (int i = 0; i < captions.size(); ++i) {
        auto *b = new QRadioButton(captions[i], this);
        layout()->addWidget(b);
        m_group->addButton(b, i);
    }
    m_link.refresh();
}

int DBRadioGroup::itemIndex() const {
    return m_group->checkedId();
}

void DBRadioGroup::setItemIndex(int index) {
    if (QAbstractButton *b = m_group->button(index))
        b->click();
}

void DBRadioGroup::showField() {
    db::Field *f = m_link.field();
    int index = f && !f->isNull() ? int(m_values.indexOf(f->asString())) : -1;
    m_group->setExclusive(false);
    for (QAbstractButton *b : m_group->buttons())
        b->setChecked(m_group->id(b) == index);
    m_group->setExclusive(true);
}

// ---------------------------------------------------------------------- DBMemo

DBMemo::DBMemo(QWidget *parent) : QPlainTextEdit(parent), m_link(this, [this] { showField(); }) {
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_link.updating())
            m_link.store(toPlainText());
    });
}

void DBMemo::bind(db::DataSet *dataSet, const QString &fieldName) {
    m_link.setFieldName(fieldName);
    m_link.setDataSet(dataSet);
}

void DBMemo::showField() {
    db::Field *f = m_link.field();
    const QString text = f ? f->asString() : QString();
    if (toPlainText() != text)
        setPlainText(text);
    setReadOnly(!m_link.editable());
}

} // namespace bkp::widgets
