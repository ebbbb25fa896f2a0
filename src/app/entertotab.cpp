#include "app/entertotab.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>

namespace bkp::app {

void EnterToTab::install() {
    if (m_installed)
        return;
    qApp->installEventFilter(this);
    m_installed = true;
}

void EnterToTab::remove() {
    if (!m_installed)
        return;
    qApp->removeEventFilter(this);
    m_installed = false;
}

bool EnterToTab::appliesTo(const QWidget *focused) {
    if (!focused || !QApplication::activeWindow())
        return false;
    if (qobject_cast<const QPlainTextEdit *>(focused) || qobject_cast<const QTextEdit *>(focused) ||
        qobject_cast<const QAbstractItemView *>(focused) ||
        qobject_cast<const QComboBox *>(focused) || qobject_cast<const QAbstractButton *>(focused))
        return false;
    // A combo box's line edit belongs to the combo box.
    if (focused->parentWidget() && qobject_cast<const QComboBox *>(focused->parentWidget()))
        return false;
    return !qobject_cast<const QMessageBox *>(QApplication::activeWindow());
}

bool EnterToTab::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    // A key press travels through the window and up the parents; act once, for
    // the control that has the focus.
    QWidget *focused = QApplication::focusWidget();
    if (watched != focused || !appliesTo(focused))
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    bool next;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Down:
        next = true;
        break;
    case Qt::Key_Up:
        next = false;
        break;
    default:
        return false;
    }
    // Queued, as the desktop's "next dialog control" message is: the control sees
    // its key first.
    QCoreApplication::postEvent(focused, new QKeyEvent(QEvent::KeyPress,
                                                       next ? Qt::Key_Tab : Qt::Key_Backtab,
                                                       next ? Qt::NoModifier : Qt::ShiftModifier));
    return false;
}

} // namespace bkp::app
