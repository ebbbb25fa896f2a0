#pragma once

#include <QObject>

class QWidget;

namespace bkp::app {

// Lets Return and the arrow keys move through the fields of a window as Tab does:
// Return and Down go to the next control, Up to the previous one. Memos, grids,
// lists, combo boxes, buttons and message boxes keep their own keys. The key
// still reaches the control; the focus moves right after it.
class EnterToTab : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Watches every key press of the application (again: no second copy).
    void install();
    void remove();
    bool installed() const { return m_installed; }

    // Whether a key press in `focused` moves the focus (the rules above).
    static bool appliesTo(const QWidget *focused);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_installed = false;
};

} // namespace bkp::app
