#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/qt_text.h"
#include "platform/ui.h"

namespace platform {

// Message boxes as Windows shows them: Japanese button labels, the first
// button the default (Enter), Esc answering Cancel or No where the box has one.
class QtUi : public Ui {
 public:
  explicit QtUi(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }

  int MsgBox(std::string_view prompt, int style = kOkOnly,
             std::string_view title = kAppTitle) override;
  void DoEvents() override;
  void SetBusyCursor(bool busy) override;
  void SetStayOnTop(bool onTop) override;
  void Lower() override;

 private:
  QPointer<QWidget> parent_;
  int busyDepth_ = 0;
};

}  // namespace platform
