#pragma once

#include "db/dataset.h"

#include <QPointer>
#include <QToolButton>
#include <QWidget>
#include <functional>

namespace bkp::widgets {

// The row of buttons that moves through and edits a data set.
class DBNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh };
    static constexpr int ButtonCount = 10;

    explicit DBNavigator(QWidget *parent = nullptr);

    void setDataSet(db::DataSet *dataSet);
    db::DataSet *dataSet() const { return m_dataSet; }
    void setVisibleButtons(const QList<Button> &buttons);
    // One hint per button, in button order.
    void setHints(const QStringList &hints);
    QToolButton *button(Button b) const { return m_buttons[b]; }

    // Runs before every action; throwing db::AbortError stops the action.
    std::function<void(Button)> beforeAction;
    // Replaces what Refresh does (the plain data set refresh otherwise).
    std::function<void()> onRefresh;
    bool confirmDelete = true;

    void click(Button b);
    void updateButtons();
    // A refused button stays disabled whatever the data set's state.
    void setRefused(Button b, bool refused);

private:
    QPointer<db::DataSet> m_dataSet;
    QToolButton *m_buttons[ButtonCount];
    bool m_refused[ButtonCount] = {};
};

} // namespace bkp::widgets
