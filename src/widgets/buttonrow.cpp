#include "widgets/buttonrow.h"

#include "lib/strings.h"

#include <QApplication>
#include <QStyle>

namespace bkp::widgets {

BitBtn::BitBtn(Kind kind, QWidget *parent) : QPushButton(parent), m_kind(kind) {
    switch (kind) {
    case Kind::OK:
        setText(QStringLiteral("OK"));
        setIcon(QApplication::style()->standardIcon(QStyle::SP_DialogOkButton));
        setDefault(true);
        break;
    case Kind::Cancel:
        setText(QStringLiteral("Cancelar"));
        setIcon(QApplication::style()->standardIcon(QStyle::SP_DialogCancelButton));
        break;
    case Kind::Custom:
        break;
    }
    resize(75, 25);
}

int MaxValue(int a, int b) {
    return VarMax(a, b);
}

namespace {

QList<QWidget *> visibleChildren(QWidget *panel) {
    QList<QWidget *> out;
    for (QObject *child : panel->children()) {
        auto *w = qobject_cast<QWidget *>(child);
        if (w && !w->isWindow() && !w->isHidden())
            out.append(w);
    }
    return out;
}

bool isPictureButton(QWidget *w) {
    return qobject_cast<BitBtn *>(w) != nullptr;
}

} // namespace

void AlinhaBotoes(QWidget *panel) {
    if (!panel)
        return;
    const QList<QWidget *> children = visibleChildren(panel);
    int totalWidth = 0;
    int height = 0;
    for (QWidget *w : children) {
        if (isPictureButton(w))
            totalWidth += w->width() + 5;
        height = MaxValue(height, w->height());
    }
    // Plain int division truncates toward zero, also for a negative left.
    int left = (panel->width() - totalWidth) / 2;
    const int top = (panel->height() - height) / 2;
    for (QWidget *w : children) {
        if (!isPictureButton(w))
            continue;
        const int width = w->width();
        w->setGeometry(left, top, width, height);
        left += width + 5;
    }
}

} // namespace bkp::widgets
