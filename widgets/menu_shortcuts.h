#pragma once

#include <QObject>
#include <vector>

class QAction;
class QKeyEvent;
class QWidget;

namespace widgets {

// The menu's shortcuts win over the editing keys of the window's fields
// (Ctrl+X, Ctrl+C, Ctrl+A, ...), as they do on Windows. Plain keys stay the
// fields' own; of those only the function keys are shortcuts.
class MenuShortcutsFirst : public QObject {
  Q_OBJECT

 public:
  // Watches every control `window` holds now, for the shortcuts of `items`.
  MenuShortcutsFirst(QWidget* window, std::vector<QAction*> items);

  // The enabled item whose shortcut is this key, if any.
  QAction* ItemFor(const QKeyEvent* key) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::vector<QAction*> items_;
};

}  // namespace widgets
