#pragma once

#include "platform/cursor.h"
#include "platform/dialogs.h"

#include <QStringList>

namespace bkp::widgets {

// The program's message boxes, input boxes and file and folder choosers, in Qt.
class QtDialogs : public platform::Dialogs {
public:
    int messageBox(const QString &text, const QString &caption, unsigned flags,
                   QWidget *owner) override;
    bool inputQuery(const QString &caption, const QString &prompt, QString &value) override;
    QString openFileName(const QString &title, const QString &folder,
                         const QString &filter) override;
    QString saveFileName(const QString &title, const QString &folder, const QString &filter,
                         const QString &defaultExtension) override;
    QString selectFolder(const QString &caption, const QString &folder) override;
};

// A dialog's frame: a title, the close box and no minimise or maximise buttons
// (a window manager shows those unless a window asks for its buttons itself).
void UseDialogFrame(QWidget *dialog);

// The X window types a window set up by UseDialogFrame declares when it is shown
// under the named window manager, in place of Qt's own; empty where Qt's dialog
// type already gives the close box alone (or the window asked for more buttons).
QStringList DialogFrameWindowTypes(const QWidget *window, const QString &windowManager);

// Makes the Qt dialogs the default ones.
void installQtDialogs();

// The application's override cursor, keeping at most one override of its own on
// Qt's stack; without a GUI application it only remembers the kind.
platform::CursorControl &qtCursorControl();

// The Qt dialogs, the application's cursor and the desktop's opening of documents
// become the program's defaults.
void installQtPorts();

} // namespace bkp::widgets
