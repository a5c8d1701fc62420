#include "store/pager.h"

#include <gtest/gtest.h>

namespace store {
namespace {

struct Step {
  const char* what;
  std::int32_t first, number;
};

// One walk over a 31-record list (three pages, the last of one row),
// checking the invariants after every step.
TEST(Pager, WalksTheListAndKeepsItsInvariants) {
  Pager pager;
  pager.Count(31);
  EXPECT_EQ(pager.PageCount(), 3);
  const auto check = [&](const Step& s) {
    SCOPED_TRACE(s.what);
    EXPECT_EQ(pager.PageFirst(), s.first);
    EXPECT_EQ(pager.PageNumber(), s.number);
    EXPECT_EQ(pager.PageFirst(), pager.PageIndex() * 15 + 1);
  };
  check({"start", 1, 1});
  EXPECT_FALSE(pager.Previous());
  check({"no page before the first", 1, 1});
  EXPECT_TRUE(pager.Next(31));
  EXPECT_TRUE(pager.Next(31));
  check({"the last page", 31, 3});
  EXPECT_EQ(pager.PageLast(31), 31);
  EXPECT_FALSE(pager.Next(31));
  check({"no page after the last", 31, 3});
  EXPECT_EQ(pager.GoTo(9), 3);
  check({"a slider beyond the pages is held to the last", 31, 3});
  EXPECT_EQ(pager.GoTo(0), 1);
  check({"and below them to the first", 1, 1});
  EXPECT_TRUE(pager.Next(31));
  EXPECT_TRUE(pager.Previous());
  check({"back", 1, 1});
}

TEST(Pager, CountsPagesOfAnyList) {
  const struct {
    std::int32_t count, rows, pages, pageCount;
  } cases[] = {{0, 15, 0, 1}, {1, 15, 1, 1}, {15, 15, 1, 1}, {16, 15, 2, 2}, {12, 6, 2, 2}, {13, 6, 3, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count);
    EXPECT_EQ(Pager::PagesFor(c.count, c.rows), c.pages);
    Pager pager(c.rows);
    pager.Count(c.count);
    EXPECT_EQ(pager.PageCount(), c.pageCount);
  }
}

}  // namespace
}  // namespace store
