#include "store/long_operation.h"

namespace store {

LongOperation::LongOperation(Store& store) : store_(store) {
  if (store_.longOperationRunning_) return;
  store_.longOperationRunning_ = true;
  started_ = true;
  if (store_.OnLongOperation) store_.OnLongOperation(true);
}

LongOperation::~LongOperation() {
  if (!started_) return;
  store_.longOperationRunning_ = false;
  if (store_.OnLongOperation) store_.OnLongOperation(false);
}

}  // namespace store
