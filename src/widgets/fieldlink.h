#pragma once

#include "db/dataset.h"

#include <QObject>
#include <QPointer>
#include <functional>

namespace bkp::widgets {

// Binds one control to one field of a data set: the control is refreshed when the
// row, the state or the field changes, and a change typed into the control puts
// the data set into edit state and stores the value in the field.
class FieldLink : public QObject {
    Q_OBJECT
public:
    explicit FieldLink(QObject *parent, std::function<void()> refresh);

    void setDataSet(db::DataSet *dataSet);
    db::DataSet *dataSet() const { return m_dataSet; }
    void setFieldName(const QString &name);
    QString fieldName() const { return m_fieldName; }
    db::Field *field() const; // nullptr when the data set is closed or lacks it

    // Starts editing when needed and stores the value; false when it cannot.
    bool store(const QVariant &value);
    bool editable() const;
    bool updating() const { return m_updating; }
    void refresh();

private:
    QPointer<db::DataSet> m_dataSet;
    QString m_fieldName;
    std::function<void()> m_refresh;
    bool m_updating = false;
};

} // namespace bkp::widgets
