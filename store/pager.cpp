#include "store/pager.h"

#include <algorithm>

namespace store {

std::int32_t Pager::PagesFor(std::int32_t count, std::int32_t rowsPerPage) {
  if (count <= 0) return 0;
  return count / rowsPerPage + (count % rowsPerPage != 0 ? 1 : 0);
}

void Pager::Set(std::int32_t index) {
  index_ = index;
  first_ = index * rows_ + 1;
}

void Pager::First() { Set(0); }

bool Pager::Previous() {
  if (index_ < 1) return false;
  Set(index_ - 1);
  return true;
}

bool Pager::Next(std::int32_t count) {
  if (count < (index_ + 1) * rows_ + 1) return false;
  Set(index_ + 1);
  return true;
}

std::int32_t Pager::GoTo(std::int32_t p) {
  p = std::clamp(p, 1, std::max(count_, 1));
  Set(p - 1);
  return p;
}

void Pager::Count(std::int32_t count) { count_ = std::max(PagesFor(count, rows_), 1); }

std::int32_t Pager::PageLast(std::int32_t count) const {
  return std::min(count, first_ + rows_ - 1);
}

}  // namespace store
