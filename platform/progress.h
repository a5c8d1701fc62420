#pragma once

#include <string_view>

namespace platform {

// The progress of a long operation as the user sees it: a caption, a bar
// from 0 to a maximum, and hiding it when the operation ends. Implementations
// redraw at most every 20 ms; callers may advance for every record.
class Progress {
 public:
  virtual ~Progress() = default;

  // Starts a phase: the bar emptied with `maximum` steps under `caption`,
  // shown and drawn once.
  virtual void BeginPhase(std::string_view caption, int maximum) = 0;
  // Moves the bar to `value` (0 ... maximum).
  virtual void Advance(int value) = 0;
  virtual void Hide() = 0;
};

// Progress that nobody sees (command-line tools, benchmarks).
class NoProgress : public Progress {
 public:
  void BeginPhase(std::string_view, int) override {}
  void Advance(int) override {}
  void Hide() override {}
};

}  // namespace platform
