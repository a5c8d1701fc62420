#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <type_traits>
#include <utility>
#include <vector>

#include "store/store.h"

class QWidget;

namespace widgets {

// A command of a window that reads or writes the store: it does nothing while
// a long operation runs (the sort component and the progress window let
// pending events run, so a shortcut or a click could otherwise start a second
// command inside the first). Before it runs, what is shown is brought up to
// date with the other workstations' changes (Store::SetBeforeCommand). The signal's arguments are
// passed on when the command takes them (QAction::triggered's `checked` is dropped otherwise).
template <typename F>
auto Guarded(store::Store& store, F command) {
  return [&store, command = std::move(command)](auto&&... args) {
    if (store.LongOperationRunning()) return;
    store.BeforeCommand();
    if constexpr (std::is_invocable_v<F&, decltype(args)...>) {
      command(std::forward<decltype(args)>(args)...);
    } else {
      command();
    }
  };
}

// While a long operation runs, the keyboard and mouse input of every window
// that was open when it began is swallowed; windows opened during the
// operation (the sort component's window with its stop button, the
// operation's own message boxes) get theirs. Installed once on the
// application by the main window; it follows `Store::OnLongOperation`.
class InputBlocker : public QObject {
  Q_OBJECT

 public:
  explicit InputBlocker(store::Store& store, QObject* parent = nullptr);
  ~InputBlocker() override;

  bool Blocking() const { return blocking_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Begin();
  void End();

  store::Store& store_;
  bool blocking_ = false;
  std::vector<QPointer<QWidget>> blocked_;
};

}  // namespace widgets
