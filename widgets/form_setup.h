#pragma once

#include <QFont>
#include <QString>

class QWidget;
namespace platform {
class Ui;
}

namespace widgets {

// The font every form asks for, "ＭＳ ゴシック", which is substituted by an
// installed Japanese gothic font (IPAGothic and the like).
const QString& kFormFont();
// Registers the substitution once; every form's constructor calls it (through
// FormFont) before it builds controls.
void RegisterFontSubstitution();
// The form font at `pointSize`, the substitution registered.
QFont FormFont(int pointSize, bool bold = false);

// Shows `window` where it was left last (RestoreWindowPlace), else maximised;
// the geometry is set too, for a display without a
// window manager (which would otherwise ignore the maximised state).
void OpenMaximised(QWidget* window);

// Shows `window` (again) in front of the program's windows, with the keyboard;
// a hidden window first goes back where it was left last.
void ShowInFront(QWidget* window);
// Shows a secondary window above the main window: the main window is first
// moved below the program's other windows (ending a stay-on-top state), then
// `window` is shown in front.
void ShowAboveMainWindow(platform::Ui& ui, QWidget* window);

}  // namespace widgets
