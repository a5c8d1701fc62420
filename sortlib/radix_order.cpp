#include "sortlib/radix_order.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace zuvasort {

void RecordStore::Clear() {
  std::vector<char16_t>().swap(chars_);
  std::vector<std::size_t>{0}.swap(start_);
}

void RecordStore::Append(std::u16string_view record) {
  chars_.insert(chars_.end(), record.begin(), record.end());
  start_.push_back(chars_.size());
}

Ordering OrderRecords(const RecordStore& records, const std::vector<SortKey>& keys,
                      const PassObserver& afterPass) {
  constexpr std::size_t kBuckets = 65536;
  const std::size_t n = records.Count();
  Ordering result;
  result.index.resize(n);
  std::iota(result.index.begin(), result.index.end(), 0);

  std::int64_t total = 0;
  for (const SortKey& k : keys) total += k.length;

  std::vector<std::int32_t> next(n);
  std::vector<std::uint16_t> digit(n);
  std::vector<std::uint32_t> bucket(kBuckets, 0);
  result.arrayBytes = sizeof(std::int32_t) * (result.index.size() + next.size()) +
                      sizeof(std::uint16_t) * digit.size() + sizeof(std::uint32_t) * bucket.size();

  const char16_t* chars = records.Chars();
  const std::size_t* starts = records.Starts();
  std::int64_t passes = 0;
  for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
    for (std::int32_t c = key->length; c >= 1; --c) {
      const std::size_t position = static_cast<std::size_t>(key->start) - 1 + (c - 1);
      std::uint32_t low = kBuckets - 1;
      std::uint32_t high = 0;
      std::int32_t* index = result.index.data();
      for (std::size_t i = 0; i < n; ++i) {
        const std::uint16_t d = CharacterDigit(chars[starts[index[i]] + position]);
        digit[i] = d;
        ++bucket[d];
        low = std::min<std::uint32_t>(low, d);
        high = std::max<std::uint32_t>(high, d);
      }
      if (low < high) {
        std::uint32_t sum = 0;
        if (key->Ascending()) {
          for (std::uint32_t b = low; b <= high; ++b) sum += std::exchange(bucket[b], sum);
        } else {
          for (std::uint32_t b = high + 1; b-- > low;) sum += std::exchange(bucket[b], sum);
        }
        std::int32_t* out = next.data();
        for (std::size_t i = 0; i < n; ++i) out[bucket[digit[i]]++] = index[i];
        result.index.swap(next);
      }
      if (n > 0) std::fill(bucket.begin() + low, bucket.begin() + high + 1, 0);
      ++passes;
      if (afterPass) afterPass(passes, total);
    }
  }
  return result;
}

}  // namespace zuvasort
