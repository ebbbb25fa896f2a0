#pragma once

#include <QMenu>
#include <QToolBar>

class QAction;
class QToolButton;

namespace bkp::app {

// The toolbar's "Tools" menu. Entries whose work comes with a later part of the
// program are there, disabled.
class ToolsMenu : public QMenu {
    Q_OBJECT
public:
    explicit ToolsMenu(QWidget *parent = nullptr);

    QAction *SalvarRegistros1 = nullptr;
    QAction *RestaurarRegistros1 = nullptr;
    QAction *VerificarBackupsFTP1 = nullptr;
    QAction *VerificarEspacoFTP1 = nullptr;
    QAction *ConfigurarFTP1 = nullptr;
    QAction *Update1 = nullptr;
    QAction *ReprogramarHorarios1 = nullptr;
    QAction *FBConsole1 = nullptr;
    QAction *SDK1 = nullptr;
};

// The menu of the notification-area icon.
class TrayMenu : public QMenu {
    Q_OBJECT
public:
    explicit TrayMenu(QWidget *parent = nullptr);

    QAction *Restaurar1 = nullptr;
    QAction *Fechar1 = nullptr;
};

// The main window's toolbar: job editing, the runs on demand, the timer and the
// "Tools" menu.
class MainToolBar : public QToolBar {
    Q_OBJECT
public:
    MainToolBar(ToolsMenu *tools, QWidget *parent = nullptr);

    // Enabled states while browsing the jobs or editing one (a mode may be neither).
    void setEnabledFor(bool browsing, bool editing);

    QToolButton *ToolButtonNew = nullptr;
    QToolButton *ToolButtonEdit = nullptr;
    QToolButton *ToolButtonDelete = nullptr;
    QToolButton *ToolButtonSave = nullptr;
    QToolButton *ToolButtonCancel = nullptr;
    QToolButton *ToolButtonBackup = nullptr;
    QToolButton *ToolButton_FTP = nullptr;
    QToolButton *ToolButtonTimer = nullptr;
    QToolButton *ToolButtonTools = nullptr;

private:
    QToolButton *addToolButton(const QString &caption, const QString &hint, int standardIcon);
};

} // namespace bkp::app
