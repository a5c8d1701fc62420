#pragma once

#include <functional>
#include <semaphore>
#include <thread>

namespace platform {

// A second thread for work that splits in two: its owner hands it one job
// at a time, goes on with its own half, and waits for the job before it
// uses what the job made or hands it the next one.
class HelperThread {
 public:
  HelperThread();
  ~HelperThread();
  HelperThread(const HelperThread&) = delete;
  HelperThread& operator=(const HelperThread&) = delete;

  // Starts `job`; the job before it must have been waited for.
  void Start(std::function<void()> job);
  // Returns when the job started last has finished.
  void Wait();

  // Whether a second thread runs at the same time as the first on this
  // machine.
  static bool Pays();

 private:
  std::function<void()> job_;
  std::binary_semaphore go_{0};
  std::binary_semaphore done_{0};
  bool running_ = false;
  std::thread thread_;
};

}  // namespace platform
