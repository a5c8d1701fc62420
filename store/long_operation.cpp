#include "store/long_operation.h"

namespace store {

LongOperation::LongOperation(Store& store) : store_(store) {
  if (store_.longOperationRunning_) return;
  store_.longOperationRunning_ = true;
  started_ = true;
  if (store_.onLongOperation_) store_.onLongOperation_(true);
}

LongOperation::~LongOperation() {
  if (!started_) return;
  store_.longOperationRunning_ = false;
  if (store_.onLongOperation_) store_.onLongOperation_(false);
}

}  // namespace store
