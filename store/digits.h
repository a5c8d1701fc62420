#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace store {

// `value` in decimal, padded with leading zeros to `width` characters; a
// wider number keeps all its digits. The same text as FormatNumber(value,
// "000000") for a `width` of six, without its rounding and allocation.
inline void AppendDigits(std::string& out, std::uint64_t value, std::size_t width) {
  char digits[20];
  std::size_t n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  if (n < width) out.append(width - n, '0');
  while (n > 0) out.push_back(digits[--n]);
}

// Writes `value` over the `width` characters at `at`, zero-padded; false (and
// nothing written) when it needs more than `width` digits.
inline bool WriteDigits(char* at, std::uint64_t value, std::size_t width) {
  for (std::size_t i = width; i-- > 0;) {
    at[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return value == 0;
}

}  // namespace store
