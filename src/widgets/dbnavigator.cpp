#include "widgets/dbnavigator.h"

#include "lib/ui.h"

#include <QHBoxLayout>

namespace bkp::widgets {

namespace {
const char *const kGlyphs[DBNavigator::ButtonCount] = {"|◀", "◀", "▶", "▶|", "+",
                                                       "−",  "▲", "✓", "✗",  "↻"};
}

DBNavigator::DBNavigator(QWidget *parent) : QWidget(parent) {
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < ButtonCount; ++i) {
        auto *b = new QToolButton(this);
        b->setText(QString::fromUtf8(kGlyphs[i]));
        b->setAutoRaise(false);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        connect(b, &QToolButton::clicked, this, [this, i] {
            try {
                click(Button(i));
            } catch (const db::AbortError &) {
            }
        });
        layout->addWidget(b);
        m_buttons[i] = b;
    }
    updateButtons();
}

void DBNavigator::setDataSet(db::DataSet *dataSet) {
    if (m_dataSet)
        disconnect(m_dataSet, nullptr, this, nullptr);
    m_dataSet = dataSet;
    if (dataSet) {
        connect(dataSet, &db::DataSet::stateChanged, this, &DBNavigator::updateButtons);
        connect(dataSet, &db::DataSet::recordChanged, this, &DBNavigator::updateButtons);
        connect(dataSet, &db::DataSet::layoutChanged, this, &DBNavigator::updateButtons);
        connect(dataSet, &db::DataSet::rowsFetched, this, &DBNavigator::updateButtons);
    }
    updateButtons();
}

void DBNavigator::setVisibleButtons(const QList<Button> &buttons) {
    for (int i = 0; i < ButtonCount; ++i)
        m_buttons[i]->setVisible(buttons.contains(Button(i)));
}

void DBNavigator::setHints(const QStringList &hints) {
    for (int i = 0; i < ButtonCount && i < hints.size(); ++i)
        m_buttons[i]->setToolTip(hints[i]);
}

void DBNavigator::updateButtons() {
    db::DataSet *ds = m_dataSet;
    const bool active = ds && ds->active();
    const bool editing = active && (ds->state() == db::DataSetState::Edit ||
                                    ds->state() == db::DataSetState::Insert);
    const bool canModify = active && ds->canModify();
    const int row = active ? ds->currentDisplayRow() : -1;
    const int rows = active ? ds->displayRowCount() : 0;
    const bool up = active && row > 0;
    // Rows not read yet lie below the last one read.
    const bool down = active && row >= 0 && (row < rows - 1 || !ds->allRowsFetched());
    m_buttons[First]->setEnabled(up);
    m_buttons[Prior]->setEnabled(up);
    m_buttons[Next]->setEnabled(down);
    m_buttons[Last]->setEnabled(down);
    m_buttons[Insert]->setEnabled(canModify);
    m_buttons[Delete]->setEnabled(canModify && !ds->isEmpty());
    m_buttons[Edit]->setEnabled(canModify && !editing);
    m_buttons[Post]->setEnabled(canModify && editing);
    m_buttons[Cancel]->setEnabled(canModify && editing);
    m_buttons[Refresh]->setEnabled(active && !editing);
    for (int i = 0; i < ButtonCount; ++i)
        if (m_refused[i])
            m_buttons[i]->setEnabled(false);
}

void DBNavigator::setRefused(Button b, bool refused) {
    m_refused[b] = refused;
    updateButtons();
}

void DBNavigator::click(Button b) {
    db::DataSet *ds = m_dataSet;
    if (!ds)
        return;
    if (beforeAction)
        beforeAction(b);
    switch (b) {
    case First:
        ds->first();
        break;
    case Prior:
        ds->prior();
        break;
    case Next:
        ds->next();
        break;
    case Last:
        ds->last();
        break;
    case Insert:
        ds->insert();
        break;
    case Delete:
        if (!confirmDelete || ConfirmBox(QStringLiteral("Delete record?"), QString(), false))
            ds->deleteRecord();
        break;
    case Edit:
        ds->edit();
        break;
    case Post:
        ds->post();
        break;
    case Cancel:
        ds->cancel();
        break;
    case Refresh:
        if (onRefresh)
            onRefresh();
        else
            ds->refresh();
        break;
    }
    updateButtons();
}

} // namespace bkp::widgets
