#include "widgets/menu_shortcuts.h"

#include <QAction>
#include <QKeyEvent>
#include <QWidget>

namespace widgets {

MenuShortcutsFirst::MenuShortcutsFirst(QWidget* window, std::vector<QAction*> items)
    : QObject(window), items_(std::move(items)) {
  for (QWidget* w : window->findChildren<QWidget*>()) w->installEventFilter(this);
}

QAction* MenuShortcutsFirst::ItemFor(const QKeyEvent* key) const {
  if (key->key() == Qt::Key_unknown || key->modifiers() == Qt::NoModifier) {
    if (key->key() < Qt::Key_F1 || key->key() > Qt::Key_F35) return nullptr;
  }
  const QKeySequence pressed(key->keyCombination());
  for (QAction* a : items_) {
    if (a->isEnabled() && !a->shortcut().isEmpty() && a->shortcut() == pressed) return a;
  }
  return nullptr;
}

bool MenuShortcutsFirst::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType() &&
      ItemFor(static_cast<QKeyEvent*>(event)) != nullptr) {
    // Not taken by the field: the shortcut fires.
    event->ignore();
    return true;
  }
  return false;
}

}  // namespace widgets
