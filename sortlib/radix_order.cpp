#include "sortlib/radix_order.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace zuvasort {

void RecordStore::Clear() {
  chars_.Clear();
  start_.Clear();
  start_.Push(0);
}

void RecordStore::ReserveRecords(std::size_t records) {
  if (records + 1 > start_.capacity()) start_.Reserve(std::max(records + 1, 2 * start_.capacity()));
}

Ordering OrderRecords(const RecordStore& records, const std::vector<SortKey>& keys,
                      const PassObserver& afterPass) {
  constexpr std::uint32_t kBuckets = 65536;
  const std::size_t n = records.Count();
  Ordering result;
  result.index.resize(n);
  std::iota(result.index.begin(), result.index.end(), 0);

  // Every key character in order of significance, with its key's direction.
  struct Position {
    std::size_t offset;
    bool ascending;
  };
  std::vector<Position> positions;
  for (const SortKey& k : keys) {
    for (std::int32_t c = 0; c < k.length; ++c) {
      positions.push_back({static_cast<std::size_t>(k.start) - 1 + c, k.Ascending()});
    }
  }
  const auto total = static_cast<std::int64_t>(positions.size());

  std::vector<std::int32_t> next(n);
  std::vector<std::uint16_t> group(n, 0);  // the group digit of each record, by record
  std::vector<std::uint16_t> digit(n);     // one character's digit of each record
  std::vector<std::uint32_t> bucket(kBuckets, 0);
  std::vector<std::uint16_t> rank(kBuckets, 0);
  result.arrayBytes = sizeof(std::int32_t) * (result.index.size() + next.size()) +
                      sizeof(std::uint16_t) * (group.size() + digit.size() + rank.size()) +
                      sizeof(std::uint32_t) * bucket.size();

  const char16_t* chars = records.Chars();
  const std::size_t* starts = records.Starts();
  std::int64_t passes = 0;
  std::uint32_t groupValues = 1;  // distinct group digits: the product over its positions
  bool groupAscending = true;
  std::int64_t groupPositions = 0;

  // One stable counting pass by the group digit, then the group's passes
  // are reported.
  auto flush = [&] {
    if (groupValues > 1) {
      const std::int32_t* index = result.index.data();
      for (std::size_t i = 0; i < n; ++i) ++bucket[group[index[i]]];
      std::uint32_t sum = 0;
      if (groupAscending) {
        for (std::uint32_t b = 0; b < groupValues; ++b) sum += std::exchange(bucket[b], sum);
      } else {
        for (std::uint32_t b = groupValues; b-- > 0;) sum += std::exchange(bucket[b], sum);
      }
      std::int32_t* out = next.data();
      for (std::size_t i = 0; i < n; ++i) out[bucket[group[index[i]]]++] = index[i];
      result.index.swap(next);
      std::fill(bucket.begin(), bucket.begin() + groupValues, 0);
      std::fill(group.begin(), group.end(), 0);
    }
    for (; groupPositions > 0; --groupPositions) {
      ++passes;
      if (afterPass) afterPass(passes, total);
    }
    groupValues = 1;
  };

  // From the least significant character on, consecutive characters of one
  // direction share a pass as long as their digit combinations fit the
  // buckets: the group digit numbers the combinations in the order the
  // characters give, so one pass orders exactly as one pass per character
  // would. A character with one digit for every record adds nothing.
  for (auto p = positions.rbegin(); p != positions.rend(); ++p) {
    if (p->ascending != groupAscending && groupValues > 1) flush();
    groupAscending = p->ascending;
    std::uint32_t low = kBuckets - 1;
    std::uint32_t high = 0;
    for (std::size_t r = 0; r < n; ++r) {
      const std::uint16_t d = CharacterDigit(chars[starts[r] + p->offset]);
      digit[r] = d;
      ++bucket[d];
      low = std::min<std::uint32_t>(low, d);
      high = std::max<std::uint32_t>(high, d);
    }
    std::uint32_t distinct = 0;
    for (std::uint32_t d = low; d <= high && n > 0; ++d) {
      if (bucket[d] != 0) {
        rank[d] = static_cast<std::uint16_t>(distinct++);
        bucket[d] = 0;
      }
    }
    if (std::uint64_t{groupValues} * distinct > kBuckets) flush();
    if (distinct > 1) {
      for (std::size_t r = 0; r < n; ++r) {
        group[r] = static_cast<std::uint16_t>(group[r] + rank[digit[r]] * groupValues);
      }
      groupValues *= distinct;
    }
    ++groupPositions;
  }
  flush();
  return result;
}

}  // namespace zuvasort
