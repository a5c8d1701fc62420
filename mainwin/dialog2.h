#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <string_view>

class QLabel;
class QProgressBar;

namespace mainwin {

// The progress window of the long steps (sorting the data file, bulk patient
// registration): a bar and one line of text. It has no commands of its own;
// it is shown modeless while a step runs and hidden afterwards.
class Dialog2 : public QDialog {
  Q_OBJECT

 public:
  explicit Dialog2(QWidget* parent = nullptr);

  // Starts a phase: the bar emptied with `maximum` steps, the caption of
  // Label1, the window shown and repainted once.
  void BeginPhase(std::string_view caption, int maximum);
  // Advances the bar to `value` (redrawn at most every 20 ms, and at the end).
  void Advance(int value);

  QProgressBar* ProgressBar1;
  QLabel* Label1;

 private:
  QElapsedTimer sinceDrawn_;
};

}  // namespace mainwin
