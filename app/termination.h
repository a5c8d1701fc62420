#pragma once

class QWidget;

namespace app {

// SIGTERM and SIGHUP (a logout, a shutdown, `kill`) close `window` as its
// close box does, so that the program ends as 終了 ends it: every file
// closed and the working copies of patient data removed. The signal is only
// noted in its handler; the window is closed from the event loop.
void CloseOnTermination(QWidget& window);

}  // namespace app
