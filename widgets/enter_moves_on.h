#pragma once

#include <QObject>

class QWidget;

namespace widgets {

// Enter in an entry field moves on to the next control in tab order, as a Tab
// key stroke would (the multi-line comment fields are never added). Keypad
// Enter counts; Enter with Ctrl, Shift or Alt is left to the field.
class EnterMovesOn : public QObject {
  Q_OBJECT

 public:
  explicit EnterMovesOn(QObject* parent) : QObject(parent) {}
  // Filters `field` (for an editable combo box, its line edit too).
  void Add(QWidget* field);

  // The Tab key stroke that Enter becomes, sent to `field`.
  static void MoveOn(QWidget* field);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace widgets
