#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

using CsvRows = std::vector<std::vector<std::string>>;

// An RFC 4180 reader, as a spreadsheet reads the file: quoted cells may hold
// commas, doubled quotes and line breaks; lines end in CR LF. `whole` (when
// given) tells whether the text ended at the end of a line.
inline CsvRows ReadCsv(std::string_view text, bool* whole = nullptr) {
  CsvRows rows(1);
  std::string cell;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        cell += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        cell += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      rows.back().push_back(std::move(cell));
      cell.clear();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      rows.back().push_back(std::move(cell));
      cell.clear();
      rows.emplace_back();
      ++i;
    } else {
      cell += c;
    }
  }
  if (whole != nullptr) *whole = rows.back().empty() && cell.empty() && !quoted;
  rows.pop_back();
  return rows;
}

}  // namespace testing_support
