#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/drive_lock.h"
#include "platform/ui.h"

namespace testing_support {

// A Ui that records every message box and answers from a queue. A box that
// finds the queue empty is recorded as unexpected; tests check Unexpected().
class FakeUi : public platform::Ui {
 public:
  struct Box {
    std::string prompt;
    int style;
    std::string title;
  };

  int MsgBox(std::string_view prompt, int style = platform::kOkOnly,
             std::string_view title = platform::kAppTitle) override;
  // Recorded as a box of style kInformation; an answer of kButton + i presses
  // the i-th extra button, any other answer OK.
  int MsgBoxWithButtons(std::string_view prompt, const std::vector<std::string>& buttons) override;
  void OpenWithDesktop(const std::string& hostPath) override { opened.push_back(hostPath); }
  void DoEvents() override { ++doEventsCalls; }
  void SetBusyCursor(bool busy) override { busyCursor = busy; }
  void SetStayOnTop(bool onTop) override {
    stayOnTop = onTop;
    ++stayOnTopCalls;
  }
  void Lower() override {
    stayOnTop = false;
    ++lowerCalls;
  }

  // An answer that presses Enter: the box's default button as its style
  // names it (the first, or the second with kDefaultButton2).
  static constexpr int kPressEnter = -1;
  static constexpr int kButton = 100;
  // The answer of Enter in a box of `style`.
  static int DefaultAnswer(int style);

  // Queues the answer of the next box (expected with `prompt` when not empty).
  void Expect(std::string prompt, int answer = platform::kAnswerOk);
  // Boxes shown so far.
  const std::vector<Box>& Boxes() const { return boxes; }
  // Descriptions of boxes nobody expected, or that differed from what was.
  const std::vector<std::string>& Unexpected() const { return unexpected; }
  bool AllAnswered() const { return queue.empty(); }
  void Reset();

  std::vector<Box> boxes;
  std::vector<std::string> unexpected;
  std::vector<std::vector<std::string>> extraButtons;  // of each MsgBoxWithButtons
  std::vector<std::string> opened;                     // by OpenWithDesktop
  int doEventsCalls = 0;
  bool busyCursor = false;
  bool stayOnTop = false;  // the main window is kept above the others
  int stayOnTopCalls = 0;
  int lowerCalls = 0;

 private:
  struct Answer {
    std::string prompt;
    int answer;
  };
  std::deque<Answer> queue;
};

// A FakeUi that notes at each box whether another program could read the
// drive then: a box shown under the drive's lock keeps every other
// workstation waiting for a person.
struct DriveWatchingUi : FakeUi {
  explicit DriveWatchingUi(platform::DriveLock& other) : other(other) {}
  int MsgBox(std::string_view prompt, int style, std::string_view title) override {
    free.push_back(other.TryLockShared());
    if (free.back()) other.Unlock();
    return FakeUi::MsgBox(prompt, style, title);
  }
  platform::DriveLock& other;
  std::vector<bool> free;  // one per box
};

}  // namespace testing_support
