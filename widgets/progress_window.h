#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <string_view>

#include "platform/progress.h"

class QLabel;
class QProgressBar;

// The progress window of the long operations (sorting, searching, rebuilding
// the patient master, printing many pages): a bar and one line of text. It
// has no commands of its own; it is shown modeless while an operation runs
// and hidden afterwards. Any window may own one.
class Dialog2 : public QDialog, public platform::Progress {
  Q_OBJECT

 public:
  explicit Dialog2(QWidget* parent = nullptr);

  // Starts a phase: the bar emptied with `maximum` steps, the caption of
  // Label1, the window shown and repainted once.
  void BeginPhase(std::string_view caption, int maximum) override;
  // Advances the bar to `value` (redrawn at most every 20 ms, and at the end).
  void Advance(int value) override;
  void Hide() override { hide(); }

  QProgressBar* ProgressBar1;
  QLabel* Label1;

 private:
  QElapsedTimer sinceDrawn_;
};
