#include "widgets/rascunho.h"

#include "lib/ui.h"
#include "widgets/buttonrow.h"
#include "widgets/dbgrid.h"
#include "widgets/dbnavigator.h"
#include "widgets/statusbar.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextBlock>
#include <QTextEdit>
#include <QVBoxLayout>
#include <memory>

namespace bkp::widgets {

TfRascunho::TfRascunho(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fRascunho"));
    setWindowTitle(QStringLiteral("Rascunho"));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    setMinimumSize(640, 400);
    resize(640, 400);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel1 = new QWidget(this);
    auto *panel = new QHBoxLayout(Panel1);
    BitBtn1 = new BitBtn(BitBtn::Kind::OK, Panel1);
    BitBtn1->setEnabled(false);
    panel->addWidget(BitBtn1);
    Panel1->hide();
    layout->addWidget(Panel1);
    DBGrid1 = new DBGrid(this);
    DBGrid1->hide();
    layout->addWidget(DBGrid1);
    DBNavigator1 = new DBNavigator(this);
    DBNavigator1->hide();
    layout->addWidget(DBNavigator1);
    Texto = new QTextEdit(this);
    layout->addWidget(Texto, 1);

    TextFile = new QPlainTextEdit(this);
    TextFile->setObjectName(QStringLiteral("TextFile"));
    TextFile->hide();
    layout->addWidget(TextFile, 1);
    StatusBar = new PanelStatusBar({120, 120, 120, 120}, this);
    StatusBar->hide();
    layout->addWidget(StatusBar);

    // Text changes, keys and clicks all move the caret.
    connect(TextFile, &QPlainTextEdit::cursorPositionChanged, this, &TfRascunho::LinColMemo);
    connect(TextFile, &QPlainTextEdit::textChanged, this, &TfRascunho::LinColMemo);
}

void TfRascunho::LinColMemo() {
    const QTextCursor caret = TextFile->textCursor();
    const int line = caret.blockNumber();
    const int column = caret.position() - caret.block().position();
    ShowStatus(StatusBar, 0,
               QStringLiteral("   ") + QString::number(line + 1) + QLatin1Char(':') +
                   QString::number(column));
}

void ShowLines(const QStringList &lines, const QString &caption) {
    auto viewer = std::make_unique<TfRascunho>();
    viewer->StatusBar->show();
    viewer->Texto->hide();
    QPlainTextEdit *text = viewer->TextFile;
    text->show();
    QPalette palette = text->palette();
    palette.setColor(QPalette::Base, Qt::white);
    text->setPalette(palette);
    text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    text->setFont(font);
    text->setReadOnly(true);
    // Read-only still lets the caret move, so the position can be read off.
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text->clear();
    viewer->setWindowState(viewer->windowState() | Qt::WindowMaximized);
    viewer->setWindowTitle(caption);
    if (!lines.isEmpty())
        text->setPlainText(lines.join(QLatin1Char('\n')));
    viewer->exec();
}

} // namespace bkp::widgets
