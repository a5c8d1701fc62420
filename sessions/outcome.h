#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/error_text.h"
#include "platform/status.h"
#include "platform/ui.h"
#include "store/store.h"

namespace sessions {

// A message box a command wants shown: the text and the message box style
// (platform::MsgBoxStyle: kExclamation, kCritical, ...). The window shows it
// with the program's title; a session never shows anything itself.
struct Message {
  std::string text;
  int style = platform::kExclamation;

  bool operator==(const Message&) const = default;
};

// What a command of a session came to, as far as the user is told: the
// messages to show in order. Sessions derive their typed outcomes from it
// and add the values a window needs (the record to show, the rows, ...).
struct Outcome {
  std::vector<Message> messages;

  bool Silent() const { return messages.empty(); }
  void Say(std::string text, int style = platform::kExclamation) {
    messages.push_back({std::move(text), style});
  }
  // A run-time error number with its meaning, as ShowErrorNumber shows it.
  void SayError(int errorNumber) { Say(platform::ErrorText(errorNumber), platform::kExclamation); }
  void SayError(const platform::Status& status) { SayError(status.error); }
  // A change that was made before a later step failed: `made` says which
  // ("データは削除されました"), then the failure with its meaning.
  void SayMadeThenFailed(std::string_view made, const platform::Status& status) {
    Say(std::string(made) + "が、その後の処理でエラーが発生しました。（エラー番号 " +
        platform::ErrorText(status.error) + "）");
  }
  // What a rebuild came to, said: nothing when it is whole, the failure when
  // the file is as it was, SayMadeThenFailed when a step after the
  // replacement failed. False when the file is as it was.
  bool SayRebuilt(const store::RebuildResult& rebuilt, std::string_view made) {
    if (!rebuilt.Changed()) {
      SayError(rebuilt.status);
      return false;
    }
    if (!rebuilt.ok()) SayMadeThenFailed(made, rebuilt.status);
    return true;
  }
};

// Shows the messages of an outcome through the window's Ui, in order.
void Show(platform::Ui& ui, const Outcome& outcome);

// Whether the drive's lock `held` is held; when it could not be taken for
// another reason than the user cancelling the wait (an unreachable share),
// `outcome` says why.
bool Held(const store::Store::DriveScope& held, Outcome& outcome);

}  // namespace sessions
