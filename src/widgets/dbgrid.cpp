#include "widgets/dbgrid.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyledItemDelegate>

#include "db/dataset.h"
#include "db/field.h"
#include "lib/ui.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace bkp::widgets {

int FieldDisplayWidth(const db::Field &field) {
    // Digits, a sign, a decimal comma and a thousands point every three digits.
    const auto number = [](int digits) {
        return digits + (digits - 1) / 3 + 2;
    };
    switch (field.dataType()) {
    case db::FieldType::String:
    case db::FieldType::FixedChar:
    case db::FieldType::WideString:
        return qMax(1, field.size());
    case db::FieldType::Smallint:
    case db::FieldType::Word:
        return number(5);
    case db::FieldType::Integer:
    case db::FieldType::AutoInc:
        return number(10);
    case db::FieldType::Largeint:
        return number(19);
    case db::FieldType::BCD:
        return number(field.precision() > 0 ? field.precision() : 18);
    case db::FieldType::Float:
    case db::FieldType::Currency:
        return number(15);
    case db::FieldType::Boolean:
        return 5;
    case db::FieldType::Date:
        return 10;
    case db::FieldType::Time:
        return 8;
    case db::FieldType::DateTime:
        return 19;
    default:
        return 10;
    }
}

int DefaultColumnWidth(const QFontMetrics &metrics, const db::Field &field) {
    return qMax(FieldDisplayWidth(field) * metrics.horizontalAdvance(QLatin1Char('0')),
                metrics.horizontalAdvance(field.displayLabel())) +
           4;
}

DBGrid::DBGrid(QWidget *parent) : QTableView(parent) {
    setModel(&m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        Q_EMIT titleClicked(column, m_model.columns().value(column).fieldName);
    });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current, const QModelIndex &) { followSelection(current); });
    connect(&m_model, &QAbstractItemModel::modelReset, this, &DBGrid::followDataSet);
    connect(&m_model, &QAbstractItemModel::dataChanged, this, &DBGrid::followDataSet);
}

void DBGrid::fitColumns(int widest) {
    QHeaderView *header = horizontalHeader();
    header->resizeSections(QHeaderView::ResizeToContents);
    for (int i = 0; i < header->count(); ++i)
        if (header->sectionSize(i) > widest)
            header->resizeSection(i, widest);
}

void DBGrid::setDataSet(db::DataSet *dataSet) {
    m_model.setDataSet(dataSet);
    followDataSet();
}

void DBGrid::setColumns(const QList<GridColumn> &columns) {
    m_model.setColumns(columns);
    for (int i = 0; i < columns.size(); ++i)
        setColumnWidth(i, columns[i].width);
    followDataSet();
}

void DBGrid::followDataSet() {
    db::DataSet *ds = m_model.dataSet();
    if (!ds || m_syncing)
        return;
    const int row = ds->currentDisplayRow();
    m_syncing = true;
    if (row >= 0 && row < m_model.rowCount()) {
        const QModelIndex at = m_model.index(row, qMax(0, currentIndex().column()));
        if (currentIndex().row() != row) {
            selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect |
                                                      QItemSelectionModel::Rows);
        }
        scrollTo(at);
    }
    m_syncing = false;
}

void DBGrid::followSelection(const QModelIndex &current) {
    db::DataSet *ds = m_model.dataSet();
    if (!ds || m_syncing || !current.isValid() || !ds->active())
        return;
    if (current.row() == ds->currentDisplayRow())
        return;
    m_syncing = true;
    try {
        ds->setRecNo(current.row() + 1);
    } catch (...) {
        m_syncing = false;
        followDataSet();
        throw;
    }
    m_syncing = false;
}

namespace {
// Paints and answers the "..." button of memo cells.
class MemoButtonDelegate : public QStyledItemDelegate {
public:
    MemoButtonDelegate(DBGrid *grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        if (!isMemo(index))
            return;
        QStyleOptionButton button;
        button.rect = buttonRect(option.rect);
        button.text = QStringLiteral("...");
        button.state = QStyle::State_Enabled;
        m_grid->style()->drawControl(QStyle::CE_PushButton, &button, painter);
    }

    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override {
        if (event->type() == QEvent::MouseButtonRelease && isMemo(index) &&
            buttonRect(option.rect)
                .contains(static_cast<QMouseEvent *>(event)->position().toPoint())) {
            m_grid->setCurrentIndex(index);
            Q_EMIT m_grid->editButtonClicked(fieldOf(index)->fieldName());
            return true;
        }
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    }

private:
    static QRect buttonRect(const QRect &cell) {
        const int w = qMin(18, cell.width());
        return QRect(cell.right() - w + 1, cell.top(), w, cell.height());
    }
    db::Field *fieldOf(const QModelIndex &index) const {
        db::DataSet *ds = m_grid->dataSet();
        const int fi = m_grid->dataModel()->fieldIndexOf(index.column());
        return ds && fi >= 0 ? ds->field(fi) : nullptr;
    }
    bool isMemo(const QModelIndex &index) const {
        db::Field *f = fieldOf(index);
        return f && f->isMemo();
    }
    DBGrid *m_grid;
};
} // namespace

void DBGrid::setMemoButtons(bool on) {
    setItemDelegate(on ? new MemoButtonDelegate(this) : new QStyledItemDelegate(this));
}

void DBGrid::keyPressEvent(QKeyEvent *event) {
    db::DataSet *ds = m_model.dataSet();
    if (event->key() == Qt::Key_Delete && (event->modifiers() & Qt::ControlModifier) && ds &&
        ds->active() && !ds->isEmpty()) {
        if (ConfirmBox(QStringLiteral("Delete record?"), QString(), false)) {
            if (onDelete)
                onDelete();
            else
                ds->deleteRecord();
        }
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

} // namespace bkp::widgets
