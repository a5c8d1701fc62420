#include "sortlib/key_param.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace zuvasort {
namespace {

constexpr std::size_t kMaxDelimiters = 100;
constexpr std::size_t kMaxKeyCount = 25;

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The leading decimal number of a field, rounded half to even to a 32-bit
// integer. No number reads as 0; a value beyond 32 bits is nothing.
std::optional<std::int32_t> LeadingNumber(std::u16string_view field) {
  std::size_t i = 0;
  while (i < field.size() && (field[i] == u' ' || field[i] == u'\t')) ++i;
  std::string text;
  auto take = [&] { text.push_back(static_cast<char>(field[i++])); };
  if (i < field.size() && (field[i] == u'+' || field[i] == u'-')) {
    if (field[i] == u'-') text.push_back('-');
    ++i;
  }
  std::size_t digits = 0;
  while (i < field.size() && IsDigit(field[i])) take(), ++digits;
  if (i < field.size() && field[i] == u'.') {
    take();
    while (i < field.size() && IsDigit(field[i])) take(), ++digits;
  }
  if (digits == 0) return 0;
  if (i < field.size() && (field[i] == u'e' || field[i] == u'E')) {
    std::size_t j = i + 1;
    if (j < field.size() && (field[j] == u'+' || field[j] == u'-')) ++j;
    if (j < field.size() && IsDigit(field[j])) {
      while (i < j) take();
      while (i < field.size() && IsDigit(field[i])) take();
    }
  }
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  value = std::nearbyint(value);
  if (!(value >= std::numeric_limits<std::int32_t>::min() &&
        value <= std::numeric_limits<std::int32_t>::max())) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace

std::optional<KeyTable> ParseKeyParam(std::u16string_view param) {
  std::size_t end = param.size();
  while (end > 0 && param[end - 1] == u' ') --end;
  std::u16string s(param.substr(0, end));
  s += u"::";

  std::vector<std::size_t> delimiter;  // positions in s, in order
  for (std::size_t i = 0; i < s.size(); ++i) {
    char16_t& c = s[i];
    if (c != u',' && c != u';' && c != u':') continue;
    if (delimiter.size() == kMaxDelimiters) break;
    if (c == u';') c = u':';
    delimiter.push_back(i);
  }
  auto isColon = [&](std::size_t d) { return s[delimiter[d]] == u':'; };
  auto field = [&](std::size_t from, std::size_t to) {
    return std::u16string_view(s).substr(from, to - from);
  };

  KeyTable table{{}, 0};
  std::size_t fieldStart = 0;  // F
  std::size_t first = 0;       // D, the key's first delimiter
  while (table.keys.size() < kMaxKeyCount) {
    std::size_t close = first;  // E
    while (close < delimiter.size() && !isColon(close)) ++close;
    if (close == delimiter.size()) return std::nullopt;
    const std::size_t commas = close - first;
    if (commas != 1 && commas != 2) return std::nullopt;
    const std::size_t d1 = delimiter[first];
    const std::size_t d2 = delimiter[first + 1];
    if (d1 == fieldStart || d2 == d1 + 1) return std::nullopt;

    const std::optional<std::int32_t> start = LeadingNumber(field(fieldStart, d1));
    const std::optional<std::int32_t> length = LeadingNumber(field(d1 + 1, d2));
    if (!start || !length || *start <= 0 || *length <= 0) return std::nullopt;
    char16_t order = u'A';
    if (commas == 2 && delimiter[close] > d2 + 1) order = s[d2 + 1];
    table.keys.push_back({*start, *length, order});

    if (close + 1 < delimiter.size() && isColon(close + 1)) break;
    fieldStart = delimiter[close] + 1;
    first = close + 1;
  }

  std::int64_t area = 0;
  for (const SortKey& k : table.keys) {
    area = std::max(area, std::int64_t{k.start} + k.length - 1);
  }
  if (area > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  table.maxKeyArea = static_cast<std::int32_t>(area);
  return table;
}

}  // namespace zuvasort
