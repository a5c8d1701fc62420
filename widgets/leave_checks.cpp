#include "widgets/leave_checks.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <algorithm>

namespace widgets {

namespace {

QString FieldText(const QWidget* w) {
  if (const auto* edit = qobject_cast<const QLineEdit*>(w)) return edit->text();
  if (const auto* combo = qobject_cast<const QComboBox*>(w)) return combo->currentText();
  return {};
}

void SetBackground(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::Base, colour);
  w->setPalette(p);
}

}  // namespace

LeaveChecks::LeaveChecks(QWidget* window) : QObject(window), window_(window) {
  for (QWidget* w : window->findChildren<QWidget*>()) w->installEventFilter(this);
}

void LeaveChecks::Colour(QWidget* field) { coloured_.push_back(field); }

void LeaveChecks::OnLeave(QWidget* field, std::function<bool()> check) {
  checks_[field] = std::move(check);
}

QWidget* LeaveChecks::Focused() const {
  return focused_ ? focused_.data() : QApplication::focusWidget();
}

bool LeaveChecks::eventFilter(QObject* watched, QEvent* event) {
  auto* w = qobject_cast<QWidget*>(watched);
  if (w == nullptr) return false;
  if (event->type() == QEvent::FocusIn) {
    FocusIn(w);
  } else if (event->type() == QEvent::FocusOut) {
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
      if (focused_ == w) focused_ = nullptr;
      Leave(w);
    }
  }
  return false;
}

void LeaveChecks::FocusIn(QWidget* w) {
  // The control that had the focus when another window took the activation
  // is left now, if the focus comes back to another control.
  if (focused_ && focused_ != w) Leave(focused_);
  notLeft_ = nullptr;
  focused_ = w;
  if (std::ranges::find(coloured_, w) != coloured_.end()) SetBackground(w, Qt::yellow);
}

void LeaveChecks::Leave(QWidget* w) {
  if (std::ranges::find(coloured_, w) != coloured_.end()) SetBackground(w, Qt::white);
  if (w == notLeft_) {
    notLeft_ = nullptr;
    return;
  }
  if (stopped_ || !checks_.contains(w)) return;
  const auto checked = checkedText_.find(w);
  if (checked != checkedText_.end()) {
    const bool same = checked->second == FieldText(w);
    checkedText_.erase(checked);
    if (same) return;
  }
  pending_.push_back(w);
  QMetaObject::invokeMethod(
      this, [this] { (void)RunPending(); }, Qt::QueuedConnection);
}

void LeaveChecks::Refocus(QWidget* field) {
  // The control the focus had just reached was not left by the user.
  QWidget* reached = Focused();
  notLeft_ = reached != field ? reached : nullptr;
  field->setFocus(Qt::OtherFocusReason);
}

bool LeaveChecks::RunPending() {
  if (busy_ && busy_()) return true;
  bool passed = true;
  while (!pending_.empty()) {
    QWidget* field = pending_.front();
    pending_.erase(pending_.begin());
    if (stopped_ || !window_->isVisible()) continue;
    passed = checks_[field]() && passed;
  }
  return passed;
}

bool LeaveChecks::CheckFocused() {
  QWidget* w = Focused();
  const auto check = checks_.find(w);
  if (stopped_ || check == checks_.end()) return true;
  if (!check->second()) return false;
  // The check may have moved the focus on, which left the field: its check
  // has run already.
  std::erase(pending_, w);
  if (QApplication::focusWidget() == w) checkedText_[w] = FieldText(w);
  return true;
}

void LeaveChecks::Reset() {
  pending_.clear();
  checkedText_.clear();
  notLeft_ = nullptr;
}

}  // namespace widgets
