#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sortlib/zuvasortmem.h"

namespace sortlib_test {

inline constexpr const char* kLibraryPath = ZUVASORTMEM2_PATH;

// Points the component registry at a file of this test program and registers
// the built library in it.
void UseTestRegistry();

struct Box {
  std::string prompt;
  std::string title;
  friend bool operator==(const Box&, const Box&) = default;
};

inline void PrintTo(const Box& b, std::ostream* os) { *os << '[' << b.title << "] " << b.prompt; }

// A job whose message boxes are recorded instead of shown.
class RecordedJob {
 public:
  RecordedJob() {
    UseTestRegistry();
    created = job.Create();
    if (created.status.ok()) job.Host()->SetMessageSink(&Record, this);
  }
  // Boxes since the last call.
  std::vector<Box> TakeBoxes() { return std::exchange(boxes, {}); }

  // Opens with `param` and puts every record; returns the first non-zero status.
  std::int32_t Load(const std::string& param, const std::vector<std::string>& records) {
    std::int32_t s = job.SetParam(param);
    if (s == 0) s = job.Open();
    for (const std::string& r : records) {
      if (s != 0) break;
      s = job.Put(r);
    }
    return s;
  }
  // GET until 99; the records delivered (status of the last GET in `status`).
  std::vector<std::string> GetAll(std::int32_t* status = nullptr) {
    std::vector<std::string> out;
    std::string line;
    std::int32_t s;
    while ((s = job.Get(line)) == 0) out.push_back(line);
    if (status != nullptr) *status = s;
    return out;
  }

  zuvasort::SortJob job;
  platform::CreateResult created;
  std::vector<Box> boxes;

 private:
  static std::int32_t Record(void* context, const char16_t* prompt, const char16_t* title,
                             std::int32_t) {
    static_cast<RecordedJob*>(context)->boxes.push_back(
        {platform::Utf8FromUtf16(prompt), platform::Utf8FromUtf16(title)});
    return 1;
  }
};

}  // namespace sortlib_test
