#pragma once

#include "widgets/fieldlink.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>

class QButtonGroup;

namespace bkp::widgets {

enum class CharCase { Normal, Upper, Lower };

// An edit bound to a field: its length comes from the field's size, typed text
// can be forced to upper or lower case, dates and times show in the user's format.
class DBEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DBEdit(QWidget *parent = nullptr);
    FieldLink *link() { return &m_link; }
    void bind(db::DataSet *dataSet, const QString &fieldName);
    void setCharCase(CharCase c) { m_case = c; }
    // A password shows one "*" for each character.
    void setPassword(bool on);
    static int fittingLength(const db::Field *field);
    // Stores a pending text (also run when the edit loses the focus).
    void commit();

private:
    void showField();
    void typed(const QString &text);
    FieldLink m_link;
    CharCase m_case = CharCase::Normal;
};

// A check box storing one text when checked and another when not ("0" and "1",
// or "-1" and "0").
class DBCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit DBCheckBox(const QString &caption, QWidget *parent = nullptr);
    FieldLink *link() { return &m_link; }
    void bind(db::DataSet *dataSet, const QString &fieldName);
    void setValues(const QString &checked, const QString &unchecked);
    QString valueChecked() const { return m_checked; }
    QString valueUnchecked() const { return m_unchecked; }

private:
    void showField();
    FieldLink m_link;
    QString m_checked = QStringLiteral("True");
    QString m_unchecked = QStringLiteral("False");
};

// Radio buttons with captions, each storing its own value.
class DBRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    DBRadioGroup(const QString &caption, QWidget *parent = nullptr);
    FieldLink *link() { return &m_link; }
    void bind(db::DataSet *dataSet, const QString &fieldName);
    void setItems(const QStringList &captions, const QStringList &values);
    int itemIndex() const; // -1 when none is checked
    void setItemIndex(int index);

private:
    void showField();
    FieldLink m_link;
    QButtonGroup *m_group;
    QStringList m_values;
};

class DBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit DBMemo(QWidget *parent = nullptr);
    FieldLink *link() { return &m_link; }
    void bind(db::DataSet *dataSet, const QString &fieldName);

private:
    void showField();
    FieldLink m_link;
};

} // namespace bkp::widgets
