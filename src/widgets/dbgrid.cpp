#include "widgets/dbgrid.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyledItemDelegate>

#include "db/dataset.h"
#include "db/field.h"
#include "lib/scopeguard.h"
#include "lib/ui.h"
#include "platform/dialogs.h"

#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>

namespace bkp::widgets {

namespace {
// Paints and answers the "..." button of memo cells, and stores what is typed into
// a cell through the model: a refused value is told and its editor stays open
// with the text typed, so the operator corrects it or leaves with Escape.
class GridDelegate : public QStyledItemDelegate {
public:
    GridDelegate(DBGrid *grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    void setMemoButtons(bool on) { m_memoButtons = on; }

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

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (editor)
            m_cells.insert(editor, index);
        return editor;
    }

    void destroyEditor(QWidget *editor, const QModelIndex &index) const override {
        m_cells.remove(editor);
        if (m_stored == editor)
            m_stored = nullptr;
        QStyledItemDelegate::destroyEditor(editor, index);
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override {
        if (!m_storing) // the row shown again while a value is stored keeps what was typed
            QStyledItemDelegate::setEditorData(editor, index);
    }

    void setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &) const override {
        if (m_stored == editor) { // stored already when its key was pressed
            m_stored = nullptr;
            return;
        }
        store(editor);
    }

protected:
    bool eventFilter(QObject *object, QEvent *event) override {
        auto *editor = qobject_cast<QWidget *>(object);
        if (editor && m_cells.contains(editor) && !m_storing && endsTheEdit(event)) {
            if (!store(editor))
                return true;
            m_stored = editor;
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    static bool endsTheEdit(QEvent *event) {
        if (event->type() == QEvent::FocusOut)
            return true;
        if (event->type() != QEvent::KeyPress)
            return false;
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return true;
        default:
            return false;
        }
    }
    // The editor's text stored in its cell; false, with the refusal told and the
    // editor focused again, when the value was not taken.
    bool store(QWidget *editor) const {
        const QPersistentModelIndex index = m_cells.value(editor);
        auto *line = qobject_cast<QLineEdit *>(editor);
        if (m_storing || !line || !index.isValid() ||
            line->text() == index.data(Qt::EditRole).toString())
            return true;
        m_storing = true;
        const QString refusal = m_grid->dataModel()->storeCellText(index, line->text());
        if (!refusal.isEmpty()) {
            ShowMessageBox(refusal, QString(), platform::MB_OK | platform::MB_ICONERROR,
                           m_grid->window());
            line->setFocus();
            line->selectAll();
        }
        m_storing = false;
        return refusal.isEmpty();
    }
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
        if (!m_memoButtons)
            return false;
        db::Field *f = fieldOf(index);
        return f && f->isMemo();
    }
    DBGrid *m_grid;
    bool m_memoButtons = false;
    mutable QHash<QWidget *, QPersistentModelIndex> m_cells;
    mutable QWidget *m_stored = nullptr;
    mutable bool m_storing = false;
};
} // namespace

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
    setItemDelegate(new GridDelegate(this));
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
    // A move the data set refuses puts the grid back on the data set's row.
    ScopeGuard followOnError([this] { followDataSet(); });
    ScopeGuard syncDone([this] { m_syncing = false; });
    ds->setRecNo(current.row() + 1);
    followOnError.dismiss();
}

void DBGrid::setMemoButtons(bool on) {
    static_cast<GridDelegate *>(itemDelegate())->setMemoButtons(on);
    viewport()->update();
}

void DBGrid::setCellEditing(bool on) {
    m_model.setCellEditing(on);
    setEditTriggers(on ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed
                       : QAbstractItemView::NoEditTriggers);
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
