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
  // Room for `records` records without moving the record table.
  void ReserveRecords(std::size_t records) { start_.reserve(records + 1); }
  void Append(std::u16string_view record);
  std::size_t Count() const { return start_.size() - 1; }
  // Record i, 0-based.
  std::u16string_view Record(std::size_t i) const {
    return {chars_.data() + start_[i], start_[i + 1] - start_[i]};
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
// (byte-exchanged) as the digit: one counting pass per key character, from the
// last key's last character to the first key's first; a descending key
// reverses the bucket order only. A pass whose digit is the same for every
// record leaves the order as it is and is skipped (still reported). Every
// record must reach every key position.
Ordering OrderRecords(const RecordStore& records, const std::vector<SortKey>& keys,
                      const PassObserver& afterPass);

}  // namespace zuvasort
