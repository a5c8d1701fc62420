#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace zuvasort {

// One key of the key table: KEY_START, KEY_LENGTH and KEY_ORDER.
struct SortKey {
  std::int32_t start;   // first character, 1-based
  std::int32_t length;  // number of characters
  char16_t order;       // u'A' ascending, any other character descending
  bool Ascending() const { return order == u'A'; }
};

struct KeyTable {
  std::vector<SortKey> keys;  // KEY_COUNT entries, 1 to 25
  std::int32_t maxKeyArea;    // the largest start + length - 1
};

// Parses a key parameter: keys of two or three fields separated by ",",
// keys separated by ":" or ";", trailing blanks ignored, at most 100
// delimiters read and 25 keys kept. Start and length are the leading decimal
// numbers of their fields (leading blanks skipped, rounded to the nearest
// integer); the order is the first character of the third field ("A" when it
// is absent or empty). Returns nothing for every rejected parameter: an
// empty field, zero, a negative or out-of-range number, a key of one or more
// than three fields, a key with no closing delimiter among the ones read, a
// key area beyond 32 bits, and the empty parameter.
std::optional<KeyTable> ParseKeyParam(std::u16string_view param);

}  // namespace zuvasort
