#include "widgets/command_guard.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <algorithm>

namespace widgets {

InputBlocker::InputBlocker(store::Store& store, QObject* parent) : QObject(parent), store_(store) {
  store_.SetOnLongOperation([this](bool running) { running ? Begin() : End(); });
}

InputBlocker::~InputBlocker() {
  store_.SetOnLongOperation(nullptr);
  End();
}

void InputBlocker::Begin() {
  if (blocking_) return;
  blocked_.clear();
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->isVisible()) blocked_.emplace_back(w);
  }
  blocking_ = true;
  qApp->installEventFilter(this);
}

void InputBlocker::End() {
  if (!blocking_) return;
  qApp->removeEventFilter(this);
  blocking_ = false;
  blocked_.clear();
}

bool InputBlocker::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::Close: {
      auto* w = qobject_cast<QWidget*>(watched);
      if (w == nullptr) break;
      QWidget* window = w->window();
      const bool blocked =
          std::any_of(blocked_.begin(), blocked_.end(),
                      [window](const QPointer<QWidget>& b) { return b == window; });
      if (blocked) {
        event->ignore();
        return true;
      }
      break;
    }
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace widgets
