#pragma once

#include <QList>
#include <QRect>
#include <QString>

class QSettings;
class QWidget;

namespace widgets {

// Windows come back where the user left them: size, position and the
// maximised state of each window, kept per screen configuration (the screens'
// sizes and places), so that a laptop on its own and at the docking station
// remember a place each.
//
// Nothing is kept or restored until the program names where to keep it; the
// settings object outlives the windows. nullptr stops it again.
void RememberWindowsIn(QSettings* settings);

// Puts `window` where it was when it was last hidden or closed under the
// current screens, kept on a screen; from then on its place is kept whenever
// it is hidden or closed. Returns false, leaving the window as it is, when
// no place is kept for it.
bool RestoreWindowPlace(QWidget* window);

// Keeps the window's place now (RestoreWindowPlace does so on hide and close).
void KeepWindowPlace(const QWidget* window);

// `rect` moved, and shrunk where it is larger, into the area of `screens` it
// overlaps most (the first screen when it overlaps none).
QRect KeepOnScreen(const QRect& rect, const QList<QRect>& screens);

}  // namespace widgets
