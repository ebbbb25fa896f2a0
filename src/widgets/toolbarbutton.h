#pragma once

#include <QToolButton>

namespace bkp::widgets {

// A tool-bar button with its image above a caption, both drawn inside the button:
// the caption sits on a baseline taken from the font alone, so every button of a
// bar shows its caption, and its mnemonic underline, on the same line whatever
// its letters, icon or menu.
class ToolBarButton : public QToolButton {
public:
    explicit ToolBarButton(QWidget *parent = nullptr);

    // Where the caption is drawn and the line its letters stand on.
    QRect captionRect() const;
    int captionBaseline() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRect imageRect() const;
};

} // namespace bkp::widgets
