#pragma once

#include <QPushButton>

namespace bkp::widgets {

// A push button with a picture. The standard kinds carry their caption and icon
// and the size of a dialog button (75 x 25); the dialog decides what a press does.
class BitBtn : public QPushButton {
    Q_OBJECT
public:
    enum class Kind { Custom, OK, Cancel };

    explicit BitBtn(Kind kind, QWidget *parent = nullptr);
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

// b when a < b, else a.
int MaxValue(int a, int b);

// Centres the visible picture buttons of the panel side by side, 5 pixels apart,
// all as high as the highest visible child. The group is measured with 5 pixels
// after the last button too, so it sits 2 or 3 pixels left of the true centre;
// buttons wider together than the panel start left of its edge.
void AlinhaBotoes(QWidget *panel);

} // namespace bkp::widgets
