#include "widgets/escape_closes.h"

#include <QAbstractButton>
#include <QEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

namespace widgets {

namespace {

// Sees the Esc that the focused control passed on to its window.
class EscapeFilter : public QObject {
 public:
  EscapeFilter(QWidget* window, QAbstractButton* button) : QObject(window), button_(button) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Escape || key->modifiers() != Qt::NoModifier || !button_ ||
        !button_->isEnabled()) {
      return QObject::eventFilter(watched, event);
    }
    button_->click();
    return true;
  }

 private:
  QPointer<QAbstractButton> button_;
};

}  // namespace

void EscapeClicks(QWidget* window, QAbstractButton* closeButton) {
  window->installEventFilter(new EscapeFilter(window, closeButton));
}

}  // namespace widgets
