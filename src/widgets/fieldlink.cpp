#include "widgets/fieldlink.h"
#include "lib/scopeguard.h"

namespace bkp::widgets {

FieldLink::FieldLink(QObject *parent, std::function<void()> refresh)
    : QObject(parent), m_refresh(std::move(refresh)) {}

void FieldLink::setDataSet(db::DataSet *dataSet) {
    if (m_dataSet)
        disconnect(m_dataSet, nullptr, this, nullptr);
    m_dataSet = dataSet;
    if (dataSet) {
        connect(dataSet, &db::DataSet::recordChanged, this, &FieldLink::refresh);
        connect(dataSet, &db::DataSet::stateChanged, this, &FieldLink::refresh);
        connect(dataSet, &db::DataSet::layoutChanged, this, &FieldLink::refresh);
        connect(dataSet, &db::DataSet::fieldChanged, this, [this](int index) {
            db::Field *f = field();
            if (f && f->index() == index)
                refresh();
        });
    }
    refresh();
}

void FieldLink::setFieldName(const QString &name) {
    m_fieldName = name;
    refresh();
}

db::Field *FieldLink::field() const {
    if (!m_dataSet || !m_dataSet->active())
        return nullptr;
    return m_dataSet->findField(m_fieldName);
}

bool FieldLink::editable() const {
    db::Field *f = field();
    return f && !f->readOnly() && m_dataSet->canModify();
}

bool FieldLink::store(const QVariant &value) {
    if (m_updating || !editable())
        return false;
    m_updating = true;
    ScopeGuard done([this] { m_updating = false; });
    if (m_dataSet->state() == db::DataSetState::Browse)
        m_dataSet->edit();
    if (db::Field *f = field())
        f->setValue(value);
    return true;
}

void FieldLink::refresh() {
    if (m_updating)
        return;
    m_updating = true;
    m_refresh();
    m_updating = false;
}

} // namespace bkp::widgets
