#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/qt_text.h"
#include "platform/ui.h"

namespace platform {

// Message boxes as Windows shows them: Japanese button labels, the first
// button the default (Enter) unless the style asks for the second, Esc
// answering Cancel or No where the box has one. A box belongs to the
// program's active window (the main window when none is), and that window
// is in front and active again once the box is gone.
class QtUi : public Ui {
 public:
  explicit QtUi(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }

  int MsgBox(std::string_view prompt, int style = kOkOnly,
             std::string_view title = kAppTitle) override;
  int MsgBoxWithButtons(std::string_view prompt, const std::vector<std::string>& buttons) override;
  void OpenWithDesktop(const std::string& hostPath) override;
  void DoEvents() override;
  void SetBusyCursor(bool busy) override;
  void SetStayOnTop(bool onTop) override;
  void Lower() override;

 private:
  QPointer<QWidget> parent_;
  int busyDepth_ = 0;
};

}  // namespace platform
