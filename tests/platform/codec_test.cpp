#include <gtest/gtest.h>

#include <string>

#include "platform/cp932.h"

namespace {

using platform::Cp932CharCount;
using platform::Cp932CutPoint;
using platform::FromCp932;
using platform::ToCp932;

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

// The characters where the Windows code page and plain Shift_JIS part ways
// must come out as the bytes the Windows program wrote.
TEST(Cp932, WindowsVariantCharactersHaveWindowsBytes) {
  EXPECT_EQ(ToCp932("～"), Bytes({0x81, 0x60}));
  EXPECT_EQ(ToCp932("Ⅰ"), Bytes({0x87, 0x54}));
  EXPECT_EQ(ToCp932("①"), Bytes({0x87, 0x40}));
  EXPECT_EQ(ToCp932("㈱"), Bytes({0x87, 0x8A}));
  EXPECT_EQ(ToCp932("－"), Bytes({0x81, 0x7C}));
  for (const char* text : {"～", "Ⅰ", "Ⅱ", "Ⅲ", "①", "㈱", "－", "￢", "∥"}) {
    EXPECT_EQ(FromCp932(ToCp932(text)), text) << text;
  }
}

TEST(Cp932, KanjiKanaAndAsciiRoundTrip) {
  EXPECT_EQ(ToCp932("山田"), Bytes({0x8E, 0x52, 0x93, 0x63}));
  EXPECT_EQ(ToCp932("ﾔﾏﾀﾞ"), Bytes({0xD4, 0xCF, 0xC0, 0xDE}));
  EXPECT_EQ(ToCp932("　"), Bytes({0x81, 0x40}));
  const std::string mixed = "心電図 ABC 123 ｶﾅ 洞性徐脈";
  EXPECT_EQ(FromCp932(ToCp932(mixed)), mixed);
}

TEST(Cp932, UnencodableTextBecomesQuestionMarks) {
  EXPECT_EQ(ToCp932("a😀b"), "a?b");
  EXPECT_EQ(ToCp932("한"), "?");
  // A broken UTF-8 sequence is one unknown character, not a stop.
  EXPECT_EQ(ToCp932(std::string("x\xC3") + "y"), "x?y");
}

TEST(Cp932, InvalidBytesDecodeToReplacementCharacter) {
  EXPECT_EQ(FromCp932(Bytes({'A', 0x81})), "A\xEF\xBF\xBD");  // lead byte at the end
  EXPECT_EQ(FromCp932(Bytes({0x81, 0x20, 'B'})).back(), 'B');
  EXPECT_NE(FromCp932(Bytes({0xFF, 0xFD, 'C'})).find("C"), std::string::npos);
  std::string noise;
  for (int i = 0; i < 4096; ++i) noise.push_back(static_cast<char>((i * 7919) & 0xFF));
  EXPECT_FALSE(FromCp932(noise).empty());
}

TEST(Cp932, CutPointNeverSplitsADoubleByteCharacter) {
  const std::string text = ToCp932("aあいう");  // 1 + 2 + 2 + 2 bytes
  EXPECT_EQ(Cp932CutPoint(text, 7), 7u);
  EXPECT_EQ(Cp932CutPoint(text, 6), 5u);
  EXPECT_EQ(Cp932CutPoint(text, 2), 1u);
  EXPECT_EQ(Cp932CutPoint(text, 0), 0u);
  EXPECT_EQ(Cp932CutPoint(ToCp932("ｱｲｳ"), 2), 2u);  // half-width kana are single bytes
  EXPECT_EQ(Cp932CharCount(text), 4u);
  EXPECT_EQ(Cp932CharCount(ToCp932("ｱｲｳ漢")), 4u);
}

}  // namespace
