#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "sortlib/key_spec.h"

namespace zuvasort {

// The records of one job in PUT order, kept in one block of UTF-16 text.
class RecordStore {
 public:
  void Clear();
  // Room for at least `records` records; the table grows geometrically.
  void ReserveRecords(std::size_t records);
  void Append(std::u16string_view record);
  std::size_t Count() const { return start_.size() - 1; }
  // Record i, 0-based.
  std::u16string_view Record(std::size_t i) const {
    return {chars_.data() + start_[i], start_[i + 1] - start_[i]};
  }
  // Hints that record i will be read soon: its text (level 0) or only its
  // place in the record table (level 1).
  void Prefetch(std::size_t i, int level) const {
    if (level == 0) {
      __builtin_prefetch(chars_.data() + start_[i]);
    } else {
      __builtin_prefetch(start_.data() + i);
    }
  }
  const char16_t* Chars() const { return chars_.data(); }
  const std::size_t* Starts() const { return start_.data(); }

 private:
  std::vector<char16_t> chars_;
  std::vector<std::size_t> start_{0};
};

// The character digit of a code unit: its two bytes exchanged.
constexpr std::uint16_t CharacterDigit(char16_t c) {
  return static_cast<std::uint16_t>((c >> 8) | ((c & 0xFF) << 8));
}

// Called after every pass with the passes made so far and their total (the
// sum of the key lengths).
using PassObserver = std::function<void(std::int64_t passes, std::int64_t total)>;

struct Ordering {
  std::vector<std::int32_t> index;  // 0-based record numbers in key order
  std::size_t arrayBytes = 0;       // the ordering arrays' peak allocation
};

// Stable least-significant-digit radix ordering with one UTF-16 code unit
// (byte-exchanged) as the digit, from the last key's last character to the
// first key's first; a descending key reverses the bucket order only. Records
// equal in every key keep their PUT order. Neighbouring characters of one
// direction whose digit combinations fit 65536 buckets share one counting
// pass (a character with the same digit in every record costs only its
// scan); `afterPass` still hears of every character's pass. Memory: 12n bytes
// plus 384 KiB. Every record must reach every key position.
Ordering OrderRecords(const RecordStore& records, const std::vector<SortKey>& keys,
                      const PassObserver& afterPass);

}  // namespace zuvasort
