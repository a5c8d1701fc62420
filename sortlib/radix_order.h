#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include "sortlib/key_param.h"

namespace zuvasort {

// A growable array of trivially copyable values on malloc and realloc, so
// that growing a large block can remap its pages instead of copying them.
template <class T>
class Block {
 public:
  Block() = default;
  ~Block() { std::free(data_); }
  Block(const Block&) = delete;
  Block& operator=(const Block&) = delete;

  T* data() { return data_; }
  const T* data() const { return data_; }
  std::size_t size() const { return size_; }
  std::size_t capacity() const { return capacity_; }

  void Clear() {
    std::free(std::exchange(data_, nullptr));
    size_ = capacity_ = 0;
  }
  void Reserve(std::size_t n) {
    if (n <= capacity_) return;
    if (n > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
    void* grown = std::realloc(data_, n * sizeof(T));
    if (grown == nullptr) throw std::bad_alloc();
    data_ = static_cast<T*>(grown);
    capacity_ = n;
  }
  void Append(const T* values, std::size_t n) {
    if (n > capacity_ - size_) Reserve(std::max({size_ + n, 2 * capacity_, std::size_t{1024}}));
    if (n > 0) std::memcpy(data_ + size_, values, n * sizeof(T));
    size_ += n;
  }
  void Push(T value) { Append(&value, 1); }
  // Room for `n` more values at the end, which the caller fills.
  T* Extend(std::size_t n) {
    if (n > capacity_ - size_) Reserve(std::max({size_ + n, 2 * capacity_, std::size_t{1024}}));
    T* at = data_ + size_;
    size_ += n;
    return at;
  }

 private:
  T* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

// The records of one job in PUT order, kept in one block of UTF-16 text.
class RecordStore {
 public:
  RecordStore() { start_.Push(0); }
  void Clear();
  // Room for at least `records` records; the table grows geometrically.
  void ReserveRecords(std::size_t records);
  void Append(std::u16string_view record) {
    chars_.Append(record.data(), record.size());
    start_.Push(chars_.size());
  }
  // Appends a record given as bytes, each byte one code unit.
  void AppendBytes(const char* bytes, std::size_t n) {
    char16_t* to = chars_.Extend(n);
    for (std::size_t i = 0; i < n; ++i) to[i] = static_cast<unsigned char>(bytes[i]);
    start_.Push(chars_.size());
  }
  std::size_t Count() const { return start_.size() - 1; }
  // Record i, 0-based.
  std::u16string_view Record(std::size_t i) const {
    const std::size_t* s = start_.data();
    return {chars_.data() + s[i], s[i + 1] - s[i]};
  }
  // Hints that record i will be read soon: its text (level 0) or only its
  // place in the record table (level 1).
  void Prefetch(std::size_t i, int level) const {
    if (level == 0) {
      __builtin_prefetch(chars_.data() + start_.data()[i]);
    } else {
      __builtin_prefetch(start_.data() + i);
    }
  }
  const char16_t* Chars() const { return chars_.data(); }
  const std::size_t* Starts() const { return start_.data(); }

 private:
  Block<char16_t> chars_;
  Block<std::size_t> start_;  // Count() + 1 entries: where each record starts, then the end
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
