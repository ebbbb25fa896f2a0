#include "app/mainmenus.h"

#include "widgets/toolbarbutton.h"

#include <QAction>
#include <QStyle>
#include <QToolButton>

namespace bkp::app {

ToolsMenu::ToolsMenu(QWidget *parent) : QMenu(parent) {
    SalvarRegistros1 = addAction(QStringLiteral("Salvar registros"));
    SalvarRegistros1->setEnabled(false);
    QMenu *restore = addMenu(QStringLiteral("Restaurar registros"));
    restore->addAction(QString());
    RestaurarRegistros1 = restore->menuAction();
    RestaurarRegistros1->setEnabled(false);
    QMenu *ftp = addMenu(QStringLiteral("FTP"));
    VerificarBackupsFTP1 = ftp->addAction(QStringLiteral("Verificar backups enviados por FTP"));
    VerificarEspacoFTP1 = ftp->addAction(QStringLiteral("Verificar espaço ocupado por FTP"));
    ConfigurarFTP1 = ftp->addAction(QStringLiteral("Configurar FTP"));
    Update1 = addAction(QStringLiteral("Update"));
    addSeparator();
    ReprogramarHorarios1 = addAction(QStringLiteral("Reprogramar horários"));
    FBConsole1 = addAction(QStringLiteral("FBConsole"));
    addSeparator();
    SDK1 = addAction(QStringLiteral("SDK"));
}

TrayMenu::TrayMenu(QWidget *parent) : QMenu(parent) {
    Restaurar1 = addAction(QStringLiteral("Restaurar"));
    Fechar1 = addAction(QStringLiteral("Fechar"));
}

QToolButton *MainToolBar::addToolButton(const QString &caption, const QString &hint,
                                        int standardIcon) {
    auto *button = new widgets::ToolBarButton(this);
    button->setText(caption);
    button->setToolTip(hint);
    button->setIcon(style()->standardIcon(QStyle::StandardPixmap(standardIcon)));
    button->setAutoRaise(true);
    button->setIconSize(QSize(16, 16));
    button->setFixedSize(65, 36);
    QFont font = button->font();
    font.setBold(true);
    font.setPointSize(8);
    button->setFont(font);
    addWidget(button);
    return button;
}

MainToolBar::MainToolBar(ToolsMenu *tools, QWidget *parent)
    : QToolBar(QStringLiteral("ToolBar1"), parent) {
    setMovable(false);
    setFloatable(false);
    setContextMenuPolicy(Qt::PreventContextMenu);

    ToolButtonNew =
        addToolButton(QStringLiteral("&Novo"), QStringLiteral("Insere um novo registro de backup"),
                      QStyle::SP_FileIcon);
    ToolButtonEdit =
        addToolButton(QStringLiteral("&Editar"),
                      QStringLiteral("Altera configurações atuais do backup selecionado"),
                      QStyle::SP_FileDialogDetailedView);
    ToolButtonDelete =
        addToolButton(QStringLiteral("E&xcluir"), QStringLiteral("Exclui um registro de backup"),
                      QStyle::SP_TrashIcon);
    addSeparator();
    ToolButtonSave =
        addToolButton(QStringLiteral("&Salvar"), QStringLiteral("Salva registro de backup"),
                      QStyle::SP_DialogSaveButton);
    ToolButtonCancel =
        addToolButton(QStringLiteral("&Cancelar"), QStringLiteral("Cancela operação"),
                      QStyle::SP_DialogCancelButton);
    addSeparator();
    ToolButtonBackup = addToolButton(
        QStringLiteral("&Backup"), QStringLiteral("Executar backup agora"), QStyle::SP_DriveHDIcon);
    ToolButton_FTP =
        addToolButton(QStringLiteral("FTP"), QStringLiteral("Enviar backup por FTP agora"),
                      QStyle::SP_DriveNetIcon);
    addSeparator();
    ToolButtonTimer =
        addToolButton(QStringLiteral("&Timer"), QStringLiteral("Habilita/desabilita timer"),
                      QStyle::SP_BrowserReload);
    ToolButtonTools =
        addToolButton(QStringLiteral("Tools"), QStringLiteral("Menu de configurações"),
                      QStyle::SP_FileDialogListView);
    ToolButtonTools->setMenu(tools);
    ToolButtonTools->setPopupMode(QToolButton::InstantPopup);
}

void MainToolBar::setEnabledFor(bool browsing, bool editing) {
    for (QToolButton *b : {ToolButtonNew, ToolButtonEdit, ToolButtonDelete, ToolButtonBackup})
        b->setEnabled(browsing);
    for (QToolButton *b : {ToolButtonSave, ToolButtonCancel})
        b->setEnabled(editing);
}

} // namespace bkp::app
