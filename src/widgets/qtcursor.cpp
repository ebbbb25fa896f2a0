#include "widgets/qtdialogs.h"

#include "platform/hostinfo.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>

namespace bkp::widgets {

using namespace platform;

namespace {

// Drives the application's override cursor, keeping at most one override of its
// own on Qt's stack. Without a GUI application it only remembers the kind.
class QtCursorControl : public CursorControl {
public:
    CursorKind current() const override { return m_current; }

    void set(CursorKind kind) override {
        m_current = kind;
        if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
            m_overridden = false; // nothing of ours is on a stack that does not exist
            return;
        }
        switch (kind) {
        case CursorKind::Hourglass:
        case CursorKind::SqlWait:
            show(Qt::WaitCursor);
            break;
        case CursorKind::AppStart:
            show(Qt::BusyCursor);
            break;
        case CursorKind::Default:
        case CursorKind::Arrow:
            if (m_overridden) {
                QGuiApplication::restoreOverrideCursor();
                m_overridden = false;
            }
            break;
        }
    }

private:
    void show(Qt::CursorShape shape) {
        if (m_overridden) {
            QGuiApplication::changeOverrideCursor(QCursor(shape));
        } else {
            QGuiApplication::setOverrideCursor(QCursor(shape));
            m_overridden = true;
        }
    }

    CursorKind m_current = CursorKind::Default;
    bool m_overridden = false;
};

QtCursorControl g_qtCursor;

} // namespace

CursorControl &qtCursorControl() {
    return g_qtCursor;
}

void installQtPorts() {
    installQtDialogs();
    setDefaultCursorControl(&g_qtCursor);
    setUrlOpener([](const QUrl &url) { return QDesktopServices::openUrl(url); });
}

} // namespace bkp::widgets
