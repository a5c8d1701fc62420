// What a record field can take as it is typed: its cp932 bytes, characters
// cp932 holds, no control characters; and which numbers carry an exponent.
#include "store/field_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using store::CheckFieldText;
using store::FieldTextFit;

TEST(FieldText, TextFitsByItsCp932BytesAndStorableCharacters) {
  const struct {
    const char* text;
    std::size_t width;
    bool lineBreaks;
    FieldTextFit fit;
    std::size_t bytes;  // checked when it fits
    const char* refused;
  } cases[] = {
      {"山田太郎山田太郎山田", 20, false, FieldTextFit::Fits, 20, ""},
      {"山田太郎山田太郎山田a", 20, false, FieldTextFit::TooLong, 0, ""},
      {"ﾔﾏﾀﾞﾀﾛｳﾔﾏﾀﾞﾀﾛｳﾔﾏﾀﾞﾀﾛ", 20, false, FieldTextFit::Fits, 20, ""},  // half-width kana: 1 byte
      {"①～Ⅰ㈱", 8, false, FieldTextFit::Fits, 8, ""},  // the Windows extensions are storable
      {"山田😀", 20, false, FieldTextFit::NotStorable, 0, "😀"},
      {"Ａ한", 20, false, FieldTextFit::NotStorable, 0, "한"},
      {"a?b", 20, false, FieldTextFit::Fits, 3, ""},
      {"山\t田", 20, false, FieldTextFit::Control, 0, "\t"},
      {"a\x7f", 20, false, FieldTextFit::Control, 0, "\x7f"},
      {"a\xC2\x85", 20, false, FieldTextFit::Control, 0, "\xC2\x85"},
      {"一行目\n二行目", 20, false, FieldTextFit::Control, 0, "\n"},
      {"一行目\n二行目", 14, true, FieldTextFit::Fits, 14, ""},  // the break is CR LF
      {"一行目\n二行目", 13, true, FieldTextFit::TooLong, 0, ""},
      {"平成17年3月5日", 0, false, FieldTextFit::Fits, 14, ""},  // no byte limit
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const store::FieldTextCheck check = CheckFieldText(c.text, c.width, c.lineBreaks);
    EXPECT_EQ(check.fit, c.fit);
    EXPECT_EQ(check.character, c.refused);
    if (check.fits()) {
      EXPECT_EQ(check.bytes, c.bytes);
    }
  }
  EXPECT_EQ(store::FieldTextRefusal(CheckFieldText("山田太郎山田太郎山田a", 20), 20),
            "この欄には半角20字（全角10字）までしか入力できません。");
  EXPECT_EQ(store::FieldTextRefusal(CheckFieldText("😀", 20), 20),
            "「😀」は保存できない文字のため、入力できません。");
  EXPECT_EQ(store::FieldTextRefusal(CheckFieldText("\x01", 20), 20), "制御文字は入力できません。");
}

TEST(FieldText, ANumberWithAnExponentIsNoRecordNumber) {
  for (const char* yes : {"1e1", "1E1", "1d2", "２Ｅ３", "１ｅ１"})
    EXPECT_TRUE(store::HasExponent(yes)) << yes;
  for (const char* no : {"10", "２５", " 7 ", "0.6", ""})
    EXPECT_FALSE(store::HasExponent(no)) << no;
}

}  // namespace
