#pragma once

#include <QDialog>
#include <QStringList>

class QPlainTextEdit;
class QTextEdit;

namespace bkp::widgets {

class BitBtn;
class DBGrid;
class DBNavigator;
class PanelStatusBar;

// A plain window that shows lines of text read-only in a fixed-pitch font, with
// the caret's line and column in its status bar.
class TfRascunho : public QDialog {
    Q_OBJECT
public:
    explicit TfRascunho(QWidget *parent = nullptr);

    // Panel 0 of the status bar: three blanks, the caret's line counted from 1,
    // ":" and its column counted from 0 ("   1:0" at the very start).
    void LinColMemo();

    QPlainTextEdit *TextFile = nullptr;
    PanelStatusBar *StatusBar = nullptr;
    // Present for the window's other uses; hidden while it shows lines.
    QTextEdit *Texto = nullptr;
    QWidget *Panel1 = nullptr;
    BitBtn *BitBtn1 = nullptr;
    DBGrid *DBGrid1 = nullptr;
    DBNavigator *DBNavigator1 = nullptr;
};

// Shows the lines in a new maximised viewer titled `caption` and returns when the
// operator has closed it; the window is gone then.
void ShowLines(const QStringList &lines, const QString &caption = QString());

} // namespace bkp::widgets
