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

// Items 0 .. total - 1 made in pairs of runs by two threads: the calling
// thread makes the first run of each pair (`mine` items), a helper thread
// the second (`theirs`) and, while the pair is used, the next pair's second.
// `make(slot, first, count)` makes a run into slot 0 (the caller's) or 1 and
// 2 (the helper's, in turn); `use(slot)` takes the runs in order on the
// calling thread and returns false to stop; `after(done)` hears how many
// items are used. The caller, which also uses, makes the shorter run so
// that the two come out even. Without a second processor, or for fewer than
// two pairs, the caller makes every run into slot 0, `mine` at a time.
// Returns false when `use` stopped it.
bool MakeInTurns(int total, int mine, int theirs,
                 const std::function<void(int slot, int first, int count)>& make,
                 const std::function<bool(int slot)>& use,
                 const std::function<void(int done)>& after);

}  // namespace platform
