#pragma once

#include <string_view>

namespace platform {

// The progress shown while a long step runs: a caption, a bar of `maximum`
// steps and its value. The progress window implements it; tests record it.
class Progress {
 public:
  virtual ~Progress() = default;

  // Starts a phase: the bar emptied with `maximum` steps, the caption shown.
  virtual void BeginPhase(std::string_view caption, int maximum) = 0;
  // Advances the bar to `value`.
  virtual void Advance(int value) = 0;
  // Hides the progress.
  virtual void Hide() = 0;
};

}  // namespace platform
