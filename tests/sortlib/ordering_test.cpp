// The order MAIN produces, against std::stable_sort with the byte-exchanged
// character comparison.

#include <algorithm>
#include <random>

#include "fixture.h"

namespace sortlib_test {
namespace {

struct Key {
  int start;
  int length;
  bool ascending;
};

std::uint16_t Digit(char16_t c) { return static_cast<std::uint16_t>((c >> 8) | ((c & 0xFF) << 8)); }

bool KeyLess(const std::u16string& a, const std::u16string& b, const std::vector<Key>& keys) {
  for (const Key& k : keys) {
    for (int c = 0; c < k.length; ++c) {
      const std::uint16_t da = Digit(a[k.start - 1 + c]);
      const std::uint16_t db = Digit(b[k.start - 1 + c]);
      if (da != db) return k.ascending ? da < db : da > db;
    }
  }
  return false;
}

std::vector<std::string> Sorted(RecordedJob& j, const std::string& param,
                                const std::vector<std::string>& records) {
  EXPECT_EQ(j.Load(param, records), 0);
  EXPECT_EQ(j.job.Main(), 0);
  std::int32_t last = 0;
  std::vector<std::string> out = j.GetAll(&last);
  EXPECT_EQ(last, zuvasort::kEndOfData);
  EXPECT_EQ(j.job.Close(), 0);
  EXPECT_TRUE(j.boxes.empty());
  return out;
}

TEST(Ordering, MatchesStableSortOnRandomRecordsAndKeys) {
  // Few distinct characters so that keys tie often; characters whose low and
  // high bytes differ so that the byte exchange decides the order.
  const std::u16string alphabet = u"0 19/Aa\u4E00\u3000\u3001\u0130\u3031\uFF10\u00FF\uFFFD";
  std::mt19937 random(20260812);
  for (int round = 0; round < 40; ++round) {
    const int width = 4 + static_cast<int>(random() % 10);
    std::vector<Key> keys(1 + random() % 4);
    std::string param;
    for (Key& k : keys) {
      k.start = 1 + static_cast<int>(random() % width);
      k.length = 1 + static_cast<int>(random() % (width - k.start + 1));
      k.ascending = random() % 2 == 0;
      if (!param.empty()) param += random() % 2 ? ":" : ";";
      param += std::to_string(k.start) + "," + std::to_string(k.length) +
               (k.ascending ? (random() % 2 ? ",A" : "") : ",D");
    }
    const int count = 1 + static_cast<int>(random() % 3000);
    const int letters = 2 + static_cast<int>(random() % alphabet.size());
    std::vector<std::u16string> records;
    for (int i = 0; i < count; ++i) {
      std::u16string r;
      for (int c = 0; c < width; ++c) r += alphabet[random() % letters];
      // The record's PUT position follows the key area, so ties show their order.
      for (char ch : std::to_string(100000 + i)) r += static_cast<char16_t>(ch);
      records.push_back(r);
    }
    std::vector<std::string> utf8;
    for (const auto& r : records) utf8.push_back(platform::Utf8FromUtf16(r));

    std::vector<std::u16string> expected = records;
    std::stable_sort(expected.begin(), expected.end(),
                     [&](const auto& a, const auto& b) { return KeyLess(a, b, keys); });
    std::vector<std::string> expectedUtf8;
    for (const auto& r : expected) expectedUtf8.push_back(platform::Utf8FromUtf16(r));

    RecordedJob j;
    ASSERT_EQ(Sorted(j, param, utf8), expectedUtf8) << "parameter " << param;
  }
}

TEST(Ordering, ManyDistinctCharactersPerPosition) {
  // Thousands of different code units at each position, high and low bytes
  // both varying: no two neighbouring characters fit one bucket range.
  std::mt19937 random(99);
  const std::vector<Key> keys = {{1, 3, false}, {4, 2, true}};
  std::vector<std::u16string> records;
  for (int i = 0; i < 5000; ++i) {
    std::u16string r;
    for (int c = 0; c < 5; ++c) {
      char16_t ch = static_cast<char16_t>(0x20 + random() % 0xD000);
      if (random() % 4 == 0) ch = u'0';  // and some ties
      r += ch;
    }
    for (char ch : std::to_string(100000 + i)) r += static_cast<char16_t>(ch);
    records.push_back(r);
  }
  std::vector<std::u16string> expected = records;
  std::stable_sort(expected.begin(), expected.end(),
                   [&](const auto& a, const auto& b) { return KeyLess(a, b, keys); });
  std::vector<std::string> utf8, expectedUtf8;
  for (const auto& r : records) utf8.push_back(platform::Utf8FromUtf16(r));
  for (const auto& r : expected) expectedUtf8.push_back(platform::Utf8FromUtf16(r));
  RecordedJob j;
  EXPECT_EQ(Sorted(j, "1,3,D:4,2,A", utf8), expectedUtf8);
}

TEST(Ordering, TiesKeepPutOrderAscendingAndDescending) {
  const std::vector<std::string> records = {"B1", "A2", "B0", "A1"};
  RecordedJob up;
  EXPECT_EQ(Sorted(up, "1,1,A", records), (std::vector<std::string>{"A2", "A1", "B1", "B0"}));
  RecordedJob down;
  EXPECT_EQ(Sorted(down, "1,1,D", records), (std::vector<std::string>{"B1", "B0", "A2", "A1"}));
}

TEST(Ordering, LowByteOrdersFirst) {
  // U+4E00 has digit 0x004E and comes before "0" (0x3000); "0" before "1".
  RecordedJob j;
  EXPECT_EQ(Sorted(j, "1,1", {"1", "\u4E00", "0"}), (std::vector<std::string>{"\u4E00", "0", "1"}));
}

TEST(Ordering, OnlyTheKeyCountsAndLongRecordsComeBackWhole) {
  RecordedJob j;
  EXPECT_EQ(Sorted(j, "3,2,A", {"zz20 tail one", "aa10", "yy10 x", "bb05"}),
            (std::vector<std::string>{"bb05", "aa10", "yy10 x", "zz20 tail one"}));
}

TEST(Ordering, FullJobAtTheRecordLimit) {
  std::vector<std::string> records;
  std::mt19937 random(7);
  for (int i = 0; i < zuvasort::kMaxRecords; ++i) {
    char line[16];
    std::snprintf(line, sizeof line, "%06u%06d", static_cast<unsigned>(random() % 5000), i + 1);
    records.push_back(line);
  }
  std::vector<std::string> expected = records;
  std::stable_sort(
      expected.begin(), expected.end(),
      [](const std::string& a, const std::string& b) { return a.compare(0, 6, b, 0, 6) < 0; });
  RecordedJob j;
  EXPECT_EQ(Sorted(j, "1,6,A", records), expected);
}

}  // namespace
}  // namespace sortlib_test
