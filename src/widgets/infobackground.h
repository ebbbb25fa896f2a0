#pragma once

class QWidget;

namespace bkp::widgets {

// Gives an entry field the desktop's tool-tip background, the pale yellow the
// program uses for fields the operator fills in small tool windows.
void setInfoBackground(QWidget *widget);

} // namespace bkp::widgets
