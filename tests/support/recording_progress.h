#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/progress.h"

namespace testing_support {

// A progress that records what it was told.
class RecordingProgress : public platform::Progress {
 public:
  void BeginPhase(std::string_view caption, int maximum) override {
    captions.emplace_back(caption);
    this->maximum = maximum;
    value = 0;
    visible = true;
  }
  void Advance(int v) override { value = v; }
  void Hide() override { visible = false; }

  std::vector<std::string> captions;
  int maximum = 0;
  int value = 0;
  bool visible = false;
};

}  // namespace testing_support
