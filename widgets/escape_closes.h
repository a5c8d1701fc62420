#pragma once

class QAbstractButton;
class QWidget;

namespace widgets {

// Esc in `window`, when the control with the focus has no use for it (an open
// drop-down list closes first), clicks `closeButton`: the window's 閉じる,
// with everything that button does. Esc with a modifier is left alone.
void EscapeClicks(QWidget* window, QAbstractButton* closeButton);

}  // namespace widgets
