#include "widgets/qtdialogs.h"

#include "platform/filesystem.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWindow>

#include <cstdlib>
#include <memory>
#include <vector>
#include <xcb/xcb.h>

namespace bkp::widgets {

using namespace platform;

namespace {

QtDialogs g_qtDialogs;

// The buttons of a box, in the order the desktop shows them, with their answers
// and the texts a Portuguese desktop gives them.
struct ButtonSpec {
    QMessageBox::StandardButton button;
    int answer;
    const char *text;
};

QList<ButtonSpec> buttonsFor(unsigned flags) {
    switch (flags & MB_BUTTONMASK) {
    case MB_OKCANCEL:
        return {{QMessageBox::Ok, IDOK, "OK"}, {QMessageBox::Cancel, IDCANCEL, "Cancelar"}};
    case MB_ABORTRETRYIGNORE:
        return {{QMessageBox::Abort, IDABORT, "&Anular"},
                {QMessageBox::Retry, IDRETRY, "&Repetir"},
                {QMessageBox::Ignore, IDIGNORE, "&Ignorar"}};
    case MB_YESNOCANCEL:
        return {{QMessageBox::Yes, IDYES, "&Sim"},
                {QMessageBox::No, IDNO, "&Não"},
                {QMessageBox::Cancel, IDCANCEL, "Cancelar"}};
    case MB_YESNO:
        return {{QMessageBox::Yes, IDYES, "&Sim"}, {QMessageBox::No, IDNO, "&Não"}};
    case MB_RETRYCANCEL:
        return {{QMessageBox::Retry, IDRETRY, "&Repetir"},
                {QMessageBox::Cancel, IDCANCEL, "Cancelar"}};
    case MB_OK:
    default:
        return {{QMessageBox::Ok, IDOK, "OK"}};
    }
}

QMessageBox::Icon iconFor(unsigned flags) {
    switch (flags & MB_ICONMASK) {
    case MB_ICONERROR:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONWARNING:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// "ISS Files|*.iss|All files (*.*)|*.*" (the desktop's description and pattern
// pairs) becomes "ISS Files (*.iss *.ISS);;All files (*.*)". A filter already in
// Qt's form passes unchanged. Each pattern is offered in lower and upper case too,
// since the file chooser here compares names case-sensitively.
QString qtFilter(const QString &filter) {
    if (!filter.contains(QLatin1Char('|')))
        return filter;
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QStringList patterns;
        for (const QString &p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString pattern = p.trimmed();
            for (const QString &variant : {pattern, pattern.toLower(), pattern.toUpper()}) {
                if (!variant.isEmpty() && !patterns.contains(variant))
                    patterns.append(variant);
            }
        }
        const QString shown = parts[i + 1].trimmed();
        QString entry = description;
        if (description.contains(QLatin1Char('(') + shown + QLatin1Char(')'))) {
            // "All files (*.*)": the description shows the pattern already; Qt takes
            // the patterns from the last parenthesis, so it ends with the full list.
            if (patterns.size() > 1 || patterns.value(0) != shown)
                entry += QLatin1String(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
        } else {
            entry += QLatin1String(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
        }
        out.append(entry);
    }
    return out.join(QLatin1String(";;"));
}

// The folder a chooser starts in, resolved ignoring case like every other path.
QString startFolder(const QString &folder) {
    return folder.isEmpty() ? folder : fs::resolve(folder);
}

bool haveWidgets() {
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
}

} // namespace

namespace {

const char *const kDialogFrame = "bkpDialogFrame";

// An X reply, freed with the C library as xcb asks.
template <typename Reply> using XReply = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_atom_t xAtom(xcb_connection_t *x, const char *name) {
    const XReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, uint16_t(qstrlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_connection_t *xConnection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// The name the running window manager gives itself (_NET_WM_NAME of the window
// named by the root's _NET_SUPPORTING_WM_CHECK); empty off X11 or without one.
QString windowManagerName(xcb_connection_t *x, xcb_window_t root) {
    const auto property = [x](xcb_window_t window, xcb_atom_t name, xcb_atom_t type) {
        return XReply<xcb_get_property_reply_t>(
            xcb_get_property_reply(x, xcb_get_property(x, 0, window, name, type, 0, 256), nullptr),
            &std::free);
    };
    const auto check = property(root, xAtom(x, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW);
    if (!check || check->format != 32 || xcb_get_property_value_length(check.get()) < 4)
        return QString();
    const xcb_window_t wm = *static_cast<const xcb_window_t *>(xcb_get_property_value(check.get()));
    const auto name = property(wm, xAtom(x, "_NET_WM_NAME"), xAtom(x, "UTF8_STRING"));
    if (!name || name->format != 8)
        return QString();
    return QString::fromUtf8(static_cast<const char *>(xcb_get_property_value(name.get())),
                             xcb_get_property_value_length(name.get()));
}

// Declares the window types of a dialog about to be mapped, where its window
// manager needs other types than Qt's to draw the close box alone.
class DialogFrameTypes : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        // The show event comes before the window is mapped, when the window manager
        // reads the types.
        if (event->type() != QEvent::Show)
            return false;
        auto *window = qobject_cast<QWidget *>(watched);
        xcb_connection_t *x = xConnection();
        if (!window || !window->isWindow() || !window->windowHandle() || !x)
            return false;
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
        const QStringList types = DialogFrameWindowTypes(window, windowManagerName(x, root));
        if (types.isEmpty())
            return false;
        std::vector<xcb_atom_t> atoms;
        for (const QString &type : types)
            atoms.push_back(xAtom(x, type.toLatin1().constData()));
        xcb_change_property(x, XCB_PROP_MODE_REPLACE, xcb_window_t(window->windowHandle()->winId()),
                            xAtom(x, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32,
                            uint32_t(atoms.size()), atoms.data());
        xcb_flush(x);
        return false;
    }
};

} // namespace

void UseDialogFrame(QWidget *dialog) {
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    if (!dialog->property(kDialogFrame).toBool()) {
        dialog->setProperty(kDialogFrame, true);
        dialog->installEventFilter(new DialogFrameTypes(dialog));
    }
}

QStringList DialogFrameWindowTypes(const QWidget *window, const QString &windowManager) {
    const Qt::WindowFlags flags = window->windowFlags();
    if (!window->property(kDialogFrame).toBool() || window->windowType() != Qt::Dialog ||
        (flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)))
        return {};
    // Openbox draws minimise and maximise on every dialog whatever its Motif hints
    // say; a toolbar keeps its title, borders, focus and close box there and loses
    // only those two. Dialog follows for a reader that does not know toolbars.
    if (windowManager == QLatin1String("Openbox"))
        return {QStringLiteral("_NET_WM_WINDOW_TYPE_TOOLBAR"),
                QStringLiteral("_NET_WM_WINDOW_TYPE_DIALOG")};
    return {};
}

void installQtDialogs() {
    setDefaultDialogs(&g_qtDialogs);
}

// --- Qt dialogs -------------------------------------------------------------

int QtDialogs::messageBox(const QString &text, const QString &caption, unsigned flags,
                          QWidget *owner) {
    const QList<ButtonSpec> choices = buttonsFor(flags);
    if (!haveWidgets())
        return choices[defaultButtonIndex(flags)].answer;
    // A box without an owner belongs to the active window: it takes that window's
    // icon and stays above it.
    QMessageBox box(owner ? owner : QApplication::activeWindow());
    UseDialogFrame(&box);
    box.setWindowTitle(caption);
    // Messages break their lines with a lone carriage return, as the desktop box does.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(shown);
    box.setTextFormat(Qt::PlainText);
    box.setIcon(iconFor(flags));
    QList<QAbstractButton *> buttons;
    for (const ButtonSpec &choice : choices) {
        QPushButton *b = box.addButton(choice.button);
        b->setText(QString::fromUtf8(choice.text));
        buttons.append(b);
    }
    box.setDefaultButton(static_cast<QPushButton *>(buttons[defaultButtonIndex(flags)]));
    // Escape and the close box answer Cancel where there is one, OK on a box with
    // OK alone; elsewhere Qt chooses (No on a Yes/No box).
    QAbstractButton *escape = nullptr;
    for (qsizetype i = 0; i < choices.size(); ++i) {
        if (choices[i].answer == IDCANCEL || (choices.size() == 1 && choices[i].answer == IDOK))
            escape = buttons[i];
    }
    box.setEscapeButton(escape);
    box.exec();
    QAbstractButton *clicked = box.clickedButton();
    for (qsizetype i = 0; i < choices.size(); ++i) {
        if (buttons[i] == clicked)
            return choices[i].answer;
    }
    return escape ? choices[buttons.indexOf(escape)].answer : IDCANCEL;
}

bool QtDialogs::inputQuery(const QString &caption, const QString &prompt, QString &value) {
    if (!haveWidgets())
        return false;
    QInputDialog dialog(QApplication::activeWindow());
    UseDialogFrame(&dialog);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(value);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Cancelar"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    value = dialog.textValue();
    return true;
}

namespace {

// Shows the folders and the files that can be run.
class ExecutableFiles : public QSortFilterProxyModel {
protected:
    bool filterAcceptsRow(int row, const QModelIndex &parent) const override {
        const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
        if (!files)
            return true;
        const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
        return info.isDir() || info.isExecutable();
    }
};

} // namespace

QString QtDialogs::openFileName(const QString &title, const QString &folder,
                                const QString &filter) {
    if (!haveWidgets())
        return QString();
    QFileDialog dialog(QApplication::activeWindow(), title, startFolder(folder), qtFilter(filter));
    UseDialogFrame(&dialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (filter == QLatin1String(ProgramsFilter)) {
        // Only Qt's own chooser can be filtered by what a file is.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        auto *programs = new ExecutableFiles;
        programs->setParent(&dialog);
        dialog.setProxyModel(programs);
    }
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

QString QtDialogs::saveFileName(const QString &title, const QString &folder, const QString &filter,
                                const QString &defaultExtension) {
    if (!haveWidgets())
        return QString();
    QFileDialog dialog(QApplication::activeWindow(), title, startFolder(folder), qtFilter(filter));
    UseDialogFrame(&dialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    QString suffix = defaultExtension;
    while (suffix.startsWith(QLatin1Char('.')))
        suffix.remove(0, 1);
    if (!suffix.isEmpty())
        dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

namespace {

const char *const kFolderHelp =
    "Escolha uma pasta na lista ou digite o caminho dela no campo \"Pasta:\".\n\n"
    "Para criar uma pasta nova, digite o nome dela e pressione OK. Um nome sem caminho é "
    "criado dentro da pasta selecionada na lista. O programa pede confirmação antes de criar "
    "a pasta; respondendo \"Não\", nada é criado e a escolha continua aberta.";

// The folder chooser: a tree of folders and a field where the operator may also
// type a folder that does not exist yet; it is created once the operator confirms.
class FolderChooser : public QDialog {
public:
    FolderChooser(QtDialogs &boxes, const QString &caption, const QString &folder)
        : QDialog(QApplication::activeWindow()), m_boxes(boxes) {
        UseDialogFrame(this);
        setWindowTitle(caption.isEmpty() ? QStringLiteral("Selecionar pasta") : caption);
        m_model.setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
        m_model.setRootPath(QString());
        m_model.setReadOnly(true);
        m_tree = new QTreeView(this);
        m_tree->setModel(&m_model);
        for (int column = 1; column < m_model.columnCount(); ++column)
            m_tree->hideColumn(column);
        m_tree->header()->hide();
        m_edit = new QLineEdit(this);
        m_edit->setObjectName(QStringLiteral("folderEdit"));
        auto *label = new QLabel(QStringLiteral("&Pasta:"), this);
        label->setBuddy(m_edit);
        auto *buttons = new QDialogButtonBox(this);
        buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
        buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
        buttons->addButton(QStringLiteral("Aj&uda"), QDialogButtonBox::HelpRole);
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel(
            QStringLiteral("Escolha uma pasta ou digite o nome de uma pasta nova:"), this));
        layout->addWidget(m_tree);
        layout->addWidget(label);
        layout->addWidget(m_edit);
        layout->addWidget(buttons);
        resize(420, 460);

        if (!folder.isEmpty()) {
            const QModelIndex start = m_model.index(folder);
            if (start.isValid()) {
                m_tree->setCurrentIndex(start);
                m_tree->scrollTo(start);
            }
            m_edit->setText(QDir::toNativeSeparators(folder));
        }
        connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this](const QModelIndex &current) {
                    if (current.isValid())
                        m_edit->setText(QDir::toNativeSeparators(m_model.filePath(current)));
                });
        // The field takes the focus: a focused tree would make its first folder current.
        m_edit->setFocus();
        connect(buttons, &QDialogButtonBox::accepted, this, &FolderChooser::choose);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
            m_boxes.messageBox(QString::fromUtf8(kFolderHelp), QStringLiteral("Ajuda"),
                               MB_OK | MB_ICONINFORMATION, this);
        });
    }

    QString chosen() const { return m_chosen; }

private:
    // A bare name lives in the folder selected in the tree (or the home folder).
    QString typedFolder() const {
        const QString typed = QDir::fromNativeSeparators(m_edit->text().trimmed());
        if (typed.isEmpty() || QDir::isAbsolutePath(typed))
            return typed.isEmpty() ? typed : QDir::cleanPath(typed);
        const QModelIndex current = m_tree->currentIndex();
        const QString base = current.isValid() ? m_model.filePath(current) : QDir::homePath();
        return QDir::cleanPath(base + QLatin1Char('/') + typed);
    }

    void choose() {
        const QString folder = typedFolder();
        if (folder.isEmpty())
            return;
        const QString resolved = fs::resolve(folder);
        if (QFileInfo(resolved).isDir()) {
            m_chosen = resolved;
            accept();
            return;
        }
        if (QFileInfo::exists(resolved)) {
            m_boxes.messageBox(QStringLiteral("\"") + resolved +
                                   QStringLiteral("\" não é uma pasta."),
                               QStringLiteral("Erro"), MB_OK | MB_ICONERROR, this);
            return;
        }
        if (m_boxes.messageBox(QStringLiteral("A pasta \"") + resolved +
                                   QStringLiteral("\" não existe.\nDeseja criá-la?"),
                               QStringLiteral("Criar pasta"), MB_YESNO | MB_ICONQUESTION,
                               this) != IDYES)
            return;
        if (!QDir().mkpath(resolved)) {
            m_boxes.messageBox(QStringLiteral("Não foi possível criar a pasta \"") + resolved +
                                   QStringLiteral("\"."),
                               QStringLiteral("Erro"), MB_OK | MB_ICONERROR, this);
            return;
        }
        m_chosen = resolved;
        accept();
    }

    QtDialogs &m_boxes;
    QFileSystemModel m_model;
    QTreeView *m_tree = nullptr;
    QLineEdit *m_edit = nullptr;
    QString m_chosen;
};

} // namespace

QString QtDialogs::selectFolder(const QString &caption, const QString &folder) {
    if (!haveWidgets())
        return QString();
    FolderChooser chooser(*this, caption, startFolder(folder));
    if (chooser.exec() != QDialog::Accepted)
        return QString();
    return chooser.chosen();
}

} // namespace bkp::widgets
