#include "store/csv_lines.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "platform/cp932.h"
#include "store/csv_export.h"
#include "store/records.h"

namespace {

using namespace store;

// The line as the cells CsvRows reads make it, one cell at a time.
std::string CellByCell(const std::string& record, std::span<const FieldDef> fields, bool utf8) {
  std::vector<std::string> cells;
  for (const FieldDef& f : fields) cells.push_back(ReadField(record.data() + f.offset, f.width));
  const std::string line = CsvLine(cells);
  return utf8 ? line : platform::ToCp932(line);
}

std::string Written(const std::string& record, bool patients, bool utf8) {
  std::string padded = record + std::string(kCsvReadPast, '"');
  std::string out(record.size() * platform::kMostUtf8PerCp932Byte + 200 + kCsvWritePast, '\0');
  char* end = patients ? PutPatientCsvLine(out.data(), padded.data(), utf8)
                       : PutExamCsvLine(out.data(), padded.data(), utf8);
  return out.substr(0, static_cast<std::size_t>(end - out.data()));
}

// A short text put at every place of a record, the rest blank or every
// other field full to its edges: each place is seen as its own field's
// text, with nothing of the fields beside it.
TEST(CsvLines, EveryPlaceOfARecordIsItsFieldsText) {
  struct Case {
    const char* name;
    std::string text;  // cp932
  };
  const Case cases[] = {
      {"one letter", "X"},
      {"two words", "A B"},
      {"a formula sign", "=1"},
      {"a comma", "a,b"},
      {"a quote", "\""},
      {"a line break", "\r\n"},
      {"half-width kana", "\xB1\xB2"},
      {"kanji", "\x8A\xBF\x8E\x9A"},
  };
  for (bool patients : {false, true}) {
    const std::span<const FieldDef> fields = patients ? std::span<const FieldDef>(kPatientFields)
                                                      : std::span<const FieldDef>(kExamFields);
    const std::size_t length = patients ? kPatientRecordLength : kExamRecordLength;
    for (const Case& c : cases) {
      for (bool neighbours : {false, true}) {
        for (std::size_t at = 0; at + c.text.size() <= length; ++at) {
          const FieldDef* home = nullptr;
          for (const FieldDef& f : fields) {
            if (f.offset <= at && at < f.offset + f.width) home = &f;
          }
          if (at + c.text.size() > home->offset + home->width) continue;
          std::string record(length, neighbours ? 'Z' : ' ');
          std::fill_n(record.begin() + static_cast<std::ptrdiff_t>(home->offset), home->width, ' ');
          record.replace(at, c.text.size(), c.text);
          for (bool utf8 : {false, true}) {
            ASSERT_EQ(Written(record, patients, utf8), CellByCell(record, fields, utf8))
                << c.name << (patients ? ", patient" : ", examination") << " at byte " << at
                << (neighbours ? ", fields beside it full" : "") << (utf8 ? ", utf-8" : "");
          }
        }
      }
    }
  }
}

}  // namespace
