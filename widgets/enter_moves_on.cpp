#include "widgets/enter_moves_on.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>

namespace widgets {

void EnterMovesOn::Add(QWidget* field) {
  field->installEventFilter(this);
  if (auto* combo = qobject_cast<QComboBox*>(field); combo != nullptr && combo->lineEdit()) {
    combo->lineEdit()->installEventFilter(this);
  }
}

void EnterMovesOn::MoveOn(QWidget* field) {
  QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
  QApplication::sendEvent(field, &tab);
}

bool EnterMovesOn::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
      if (auto* w = qobject_cast<QWidget*>(watched)) {
        MoveOn(w);
        return true;
      }
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace widgets
