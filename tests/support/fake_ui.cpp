#include "tests/support/fake_ui.h"

namespace testing_support {

int FakeUi::MsgBox(std::string_view prompt, int style, std::string_view title) {
  boxes.push_back({std::string(prompt), style, std::string(title)});
  if (queue.empty()) {
    unexpected.push_back("unexpected box: " + std::string(prompt));
    bool yesNo = (style & 0x7) == platform::kYesNo || (style & 0x7) == platform::kYesNoCancel;
    return yesNo ? platform::kAnswerNo : platform::kAnswerOk;
  }
  Answer next = queue.front();
  queue.pop_front();
  if (!next.prompt.empty() && next.prompt != prompt) {
    unexpected.push_back("expected box \"" + next.prompt + "\" but got \"" + std::string(prompt) +
                         "\"");
  }
  return next.answer == kPressEnter ? DefaultAnswer(style) : next.answer;
}

int FakeUi::MsgBoxWithButtons(std::string_view prompt, const std::vector<std::string>& buttons) {
  extraButtons.push_back(buttons);
  const int answer = MsgBox(prompt, platform::kInformation);
  const int index = answer - kButton;
  return index >= 0 && index < static_cast<int>(buttons.size()) ? index : -1;
}

int FakeUi::DefaultAnswer(int style) {
  const bool second = (style & platform::kDefaultButton2) != 0;
  switch (style & 0x7) {
    case platform::kOkCancel:
      return second ? platform::kAnswerCancel : platform::kAnswerOk;
    case platform::kYesNo:
    case platform::kYesNoCancel:
      return second ? platform::kAnswerNo : platform::kAnswerYes;
    default:
      return platform::kAnswerOk;
  }
}

void FakeUi::Expect(std::string prompt, int answer) {
  queue.push_back({std::move(prompt), answer});
}

void FakeUi::Reset() {
  boxes.clear();
  unexpected.clear();
  extraButtons.clear();
  opened.clear();
  queue.clear();
  doEventsCalls = 0;
  stayOnTop = false;
  stayOnTopCalls = 0;
  lowerCalls = 0;
}

}  // namespace testing_support
