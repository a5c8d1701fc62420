#include "platform/helper_thread.h"

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

}  // namespace platform
