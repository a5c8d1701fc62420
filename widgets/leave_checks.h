#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <map>
#include <optional>
#include <vector>

class QWidget;

namespace widgets {

// What a window's entry fields do when the user moves on from one of them:
// the field that has the focus turns yellow (white again when left), and a
// field's leave check runs once the focus has arrived at the next control,
// so that the check may refuse the text and take the focus back. A refused
// field takes the focus back without the control the focus had reached
// counting as left. Another window taking the activation (a message box, a
// list) or a drop-down list opening is no move to another control: the
// check waits until the user moves on.
class LeaveChecks : public QObject {
  Q_OBJECT

 public:
  // Watches every control `window` holds now.
  explicit LeaveChecks(QWidget* window);

  // `field` turns yellow while it has the focus.
  void Colour(QWidget* field);
  // `check` runs when the focus has moved on from `field`; it returns false
  // when it refused the text.
  void OnLeave(QWidget* field, std::function<bool()> check);
  // Due checks wait while this is true (a long operation runs).
  void WaitWhile(std::function<bool()> busy) { busy_ = std::move(busy); }

  // The refused `field` takes the focus back.
  void Refocus(QWidget* field);
  // Runs the checks due, in the order their fields were left. False when
  // one of them refused its field. Checks of a window put away are dropped.
  bool RunPending();
  // Runs the check of the field that has the focus now, as a command does
  // that the user gave without leaving the field (a shortcut, Enter on the
  // default button). False when it refused. Leaving the field later does
  // not check the same text again.
  bool CheckFocused();
  // The control that has (or last had) the focus.
  QWidget* Focused() const;
  // Forgets every due check (the window was reset).
  void Reset();
  // No check runs any more (the program is ending).
  void Stop() { stopped_ = true; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FocusIn(QWidget* w);
  void Leave(QWidget* w);

  QWidget* window_;
  std::vector<QWidget*> coloured_;
  std::map<QWidget*, std::function<bool()>> checks_;
  // The text a check already ran on, per field (CheckFocused ran it).
  std::map<QWidget*, QString> checkedText_;
  std::vector<QWidget*> pending_;
  std::function<bool()> busy_;
  QPointer<QWidget> focused_;
  QWidget* notLeft_ = nullptr;
  bool stopped_ = false;
};

}  // namespace widgets
