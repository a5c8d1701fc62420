#include "platform/helper_thread.h"

#include <algorithm>
#include <utility>

namespace platform {

HelperThread::HelperThread()
    : thread_([this] {
        for (;;) {
          go_.acquire();
          if (!job_) return;
          job_();
          done_.release();
        }
      }) {}

HelperThread::~HelperThread() {
  Wait();
  job_ = nullptr;
  go_.release();
  thread_.join();
}

void HelperThread::Start(std::function<void()> job) {
  job_ = std::move(job);
  running_ = true;
  go_.release();
}

void HelperThread::Wait() {
  if (!running_) return;
  done_.acquire();
  running_ = false;
}

bool HelperThread::Pays() { return std::thread::hardware_concurrency() > 1; }

bool MakeInTurns(int total, int mine, int theirs,
                 const std::function<void(int slot, int first, int count)>& make,
                 const std::function<bool(int slot)>& use,
                 const std::function<void(int done)>& after) {
  const int pair = mine + theirs;
  if (!HelperThread::Pays() || total < 2 * pair) {
    for (int first = 0; first < total; first += mine) {
      make(0, first, std::min(mine, total - first));
      if (!use(0)) return false;
      after(std::min(total, first + mine));
    }
    return true;
  }
  HelperThread helper;
  auto hand = [&](int first, int slot) {
    const int count = std::min(theirs, total - first);
    if (count <= 0) return false;
    helper.Start([&make, slot, first, count] { make(slot, first, count); });
    return true;
  };
  bool handed = hand(mine, 1);
  for (int p = 0, first = 0; first < total; ++p, first += pair) {
    make(0, first, std::min(mine, total - first));
    const bool theirsMade = handed;
    if (handed) helper.Wait();
    handed = hand(first + pair + mine, 1 + (p + 1) % 2);
    if (!use(0) || (theirsMade && !use(1 + p % 2))) {
      helper.Wait();
      return false;
    }
    after(std::min(total, first + pair));
  }
  helper.Wait();
  return true;
}

}  // namespace platform
