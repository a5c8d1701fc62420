#pragma once

#include "store/store.h"

namespace store {

// A long operation on the store (a rebuild, a sort, a search, opening a
// list, printing many pages). While one runs, no other command of any window
// that reads or writes the store may start: such commands ask
// `Store::LongOperationRunning()` first and do nothing when it is true. The
// sort component and the progress window let pending window events run, so
// without this a menu shortcut could start a second rebuild inside the first.
//
//   store::LongOperation operation(store_);
//   if (!operation) return;  // another one runs
//
// The first operation to begin tells `Store::SetOnLongOperation`'s function
// true, the last to end false (the windows block their input meanwhile).
class LongOperation {
 public:
  explicit LongOperation(Store& store);
  ~LongOperation();
  LongOperation(const LongOperation&) = delete;
  LongOperation& operator=(const LongOperation&) = delete;

  // False when another long operation was already running: this one has not
  // begun and must not touch the store.
  explicit operator bool() const { return started_; }

 private:
  Store& store_;
  bool started_ = false;
};

}  // namespace store
