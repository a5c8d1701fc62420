#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/error_text.h"

namespace platform {

// Message-box style values and answer codes, as Windows numbers them.
enum MsgBoxStyle : int {
  kOkOnly = 0,
  kOkCancel = 1,
  kYesNoCancel = 3,
  kYesNo = 4,
  kCritical = 16,
  kQuestion = 32,
  kExclamation = 48,
  kInformation = 64,
  kDefaultButton2 = 256,  // the second button (No of Yes/No) answers Enter
};

enum MsgBoxAnswer : int {
  kAnswerOk = 1,
  kAnswerCancel = 2,
  kAnswerYes = 6,
  kAnswerNo = 7,
};

inline constexpr std::string_view kAppTitle = "Velunor2.0";

// What the windows need of the host's user interface that is not a window of
// their own: message boxes, letting pending events run, the busy cursor.
class Ui {
 public:
  virtual ~Ui() = default;

  // Shows `prompt` with the buttons and icon of `style`; returns the answer code.
  virtual int MsgBox(std::string_view prompt, int style = kOkOnly,
                     std::string_view title = kAppTitle) = 0;

  // Shows `prompt` in an information box with `buttons` before its OK button;
  // returns the index of the button pressed, or -1 for OK (Enter, Esc, ×).
  virtual int MsgBoxWithButtons(std::string_view prompt, const std::vector<std::string>& buttons) {
    (void)buttons;
    MsgBox(prompt, kInformation);
    return -1;
  }

  // Opens a host file or folder with the desktop's default program for it.
  virtual void OpenWithDesktop(const std::string& /*hostPath*/) {}

  // Lets pending window events run (DoEvents).
  virtual void DoEvents() = 0;

  // The hourglass while a long operation runs.
  virtual void SetBusyCursor(bool busy) = 0;

  // Window order of the main window (the window the boxes belong to) among
  // the program's own windows, without moving or sizing it: raised above the
  // program's other windows ("topmost"), or put below them ("bottom") so that
  // a newly opened window shows above it. Neither keeps it above, or sends it
  // below, the windows of other programs.
  virtual void SetStayOnTop(bool /*onTop*/) {}
  virtual void Lower() {}

  // Shows a failure's run-time error number with its meaning in a warning
  // box ("61：ディスクがいっぱいです。").
  void ShowErrorNumber(int errorNumber) { MsgBox(ErrorText(errorNumber), kExclamation); }
};

}  // namespace platform
