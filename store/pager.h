#pragma once

#include <cstdint>

namespace store {

inline constexpr int kRowsPerPage = 15;

// The page state of a list shown a page of rows at a time (the examination
// lists and the patient list: 15 rows). After every operation
// PageFirst = PageIndex x rows + 1 and PageNumber = PageIndex + 1.
class Pager {
 public:
  explicit Pager(std::int32_t rowsPerPage = kRowsPerPage) : rows_(rowsPerPage) {}

  // The first page.
  void First();
  // One page back; false (the state unchanged) on the first page.
  bool Previous();
  // One page on; false (the state unchanged) when no record of `count`
  // follows the page.
  bool Next(std::int32_t count);
  // Page p (1-based), held to the pages there are (1 ... PageCount). Returns
  // the page gone to.
  std::int32_t GoTo(std::int32_t p);
  // PageCount for a list of `count` records: the pages there are, at least 1.
  void Count(std::int32_t count);

  std::int32_t PageFirst() const { return first_; }
  std::int32_t PageIndex() const { return index_; }
  std::int32_t PageNumber() const { return index_ + 1; }
  std::int32_t PageCount() const { return count_; }
  std::int32_t RowsPerPage() const { return rows_; }
  // The last record number of the page in a list of `count` records.
  std::int32_t PageLast(std::int32_t count) const;

  // Pages of a list of `count` records: count / rows rounded up (0 for none).
  static std::int32_t PagesFor(std::int32_t count, std::int32_t rowsPerPage = kRowsPerPage);

 private:
  void Set(std::int32_t index);

  std::int32_t rows_;
  std::int32_t index_ = 0;
  std::int32_t first_ = 1;
  std::int32_t count_ = 1;
};

}  // namespace store
