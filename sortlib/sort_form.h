#pragma once

#include <QImage>
#include <QPushButton>
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>

#include "sortlib/sort_job.h"
#include "sortlib/zuvasortmem.h"

namespace zuvasort {

// The progress window: a drawing surface that keeps what the job prints on
// it (text lines, the bar's outline and fill), the stop button Command2 and
// the credits button Command1. Positions given in twips (15 to a pixel);
// fractions are of the window's outer width and height.
class ZUVASORTMEMFORM : public QWidget {
 public:
  explicit ZUVASORTMEMFORM(std::function<void()> showCredits);

  QPushButton* Command1;  // "バージョン情報"
  QPushButton* Command2;  // "中止"

  void Command1_Click();
  void Command2_Click();

  // Clears the drawing surface.
  void Cls();
  // Prints one line with its top-left corner at (x twips, y pixels), over
  // whatever that line showed before, as far as the buttons.
  void PrintLine(int xTwips, int yPixels, const QString& text);
  // The blue outline and the blue fill of the progress bar.
  void BarOutline();
  void BarFill(double fraction);

  int OuterWidth() const { return frameGeometry().width(); }
  int OuterHeight() const { return frameGeometry().height(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QRect BarRect(double fraction) const;

  std::function<void()> showCredits_;
  QImage canvas_;
};

// The JobView of the library: the progress window when a Qt application runs
// on the calling thread, else nothing on screen; messages to the host's sink
// when one is set, else to the library's own boxes or, without a Qt
// application, to standard error.
class QtJobView final : public JobView {
 public:
  QtJobView() = default;
  ~QtJobView() override;

  void SetMessageSink(MessageSink sink, void* context) {
    sink_ = sink;
    context_ = context;
  }

  void MsgBox(std::u16string_view prompt, std::u16string_view title) override;
  void DoEvents() override;
  std::int32_t OpenWindow() override;
  void CloseWindow() override;
  void ShowCount(std::u16string_view text) override;
  void ShowPhase(std::u16string_view text) override;
  void FillBar(double fraction) override;

 private:
  static bool GuiOnThisThread();
  MessageSink sink_ = nullptr;
  void* context_ = nullptr;
  std::unique_ptr<ZUVASORTMEMFORM> form_;
  // What the job prints is drawn on the window's surface at once; the
  // window is repainted with it at most every 20 ms (by the events of a
  // later DoEvents when it came sooner).
  void Changed();
  bool changed_ = false;
  std::chrono::steady_clock::time_point lastShown_{};
};

}  // namespace zuvasort
