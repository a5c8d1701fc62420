#include <gtest/gtest.h>

#include <string>

#include "platform/cp932.h"
#include "store/records.h"
#include "store/text_format.h"

namespace {

using namespace store;

std::string Pad(std::string bytes, std::size_t width) {
  bytes.resize(width, ' ');
  return bytes;
}

std::string Hex(std::string_view b) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : b) {
    out += digits[c >> 4];
    out += digits[c & 15];
    out += ' ';
  }
  return out;
}

// An examination built through the fields is compared with the bytes the
// layout demands, assembled by hand.
TEST(ExamRecordBytes, EveryFieldAtItsOffsetInCp932) {
  ExamRecord r;
  r.Set(ExamField::RecordNo, "000007");
  r.Set(ExamField::ExamDate, "2006/01/15");
  r.Set(ExamField::PatientId, "000045");
  r.Set(ExamField::Name, "山田　花子");
  r.Set(ExamField::Sex, "F");
  r.Set(ExamField::Age, "26");
  r.Set(ExamField::HeartRate, "72");
  r.Set(ExamField::Department, "ｿｳﾑﾌﾞ");
  r.Set(ExamField::Comment, "異常なし");
  r.Set(LeadSiteField(0), "Ⅰ");
  r.Set(FindingField(4), "ST低下");
  r.Set(ArrhythmiaField(2), "心房細動");
  r.Set(ExamField::ImageName, "IMG0007");

  std::string expected;
  expected += "0000072006/01/15000045";
  expected += Pad("\x8E\x52\x93\x63\x81\x40\x89\xD4\x8E\x71", 20);
  expected += "F26 72 ";
  expected += Pad("\xBF\xB3\xD1\xCC\xDE", 20);
  expected += Pad(platform::ToCp932("異常なし"), 200);
  expected += Pad("\x87\x54", 20) + std::string(80, ' ');
  expected += std::string(80, ' ') + Pad(platform::ToCp932("ST低下"), 20);
  expected += std::string(40, ' ') + Pad(platform::ToCp932("心房細動"), 20) + std::string(40, ' ');
  expected += Pad("IMG0007", 10);
  ASSERT_EQ(expected.size(), 579u);
  EXPECT_EQ(Hex(r.Bytes()), Hex(expected));

  EXPECT_EQ(r.Get(ExamField::Name), "山田　花子");
  EXPECT_EQ(r.Get(ExamField::Department), "ｿｳﾑﾌﾞ");
  EXPECT_EQ(r.Get(ExamField::Age), "26");
  EXPECT_EQ(r.Get(LeadSiteField(1)), "");
}

TEST(ExamRecordBytes, TheTwoRecordNoForms) {
  ExamRecord r;
  r.Set(ExamField::RecordNo, FormatNumber(13, "000000"));
  EXPECT_EQ(r.Raw(ExamField::RecordNo), "000013");
  r.Set(ExamField::RecordNo, SignedNumber(13));
  EXPECT_EQ(r.Raw(ExamField::RecordNo), " 13   ");
  EXPECT_EQ(r.Get(ExamField::RecordNo), "13");
  EXPECT_EQ(NumericValue(r.Raw(ExamField::RecordNo)), 13);
}

TEST(FieldStorage, CutsInBytesWithoutSplittingACharacter) {
  ExamRecord r;
  // Twenty double-byte characters: the first ten fill the 20 bytes.
  r.Set(ExamField::Name, "あいうえおかきくけこさしすせそたちつてと");
  EXPECT_EQ(r.Get(ExamField::Name), "あいうえおかきくけこ");
  EXPECT_EQ(r.Raw(ExamField::Name).size(), 20u);
  // A character that would straddle the end is left out; its byte is a blank.
  r.Set(ExamField::Name, "aあいうえおかきくけこ");
  EXPECT_EQ(r.Raw(ExamField::Name), platform::ToCp932("aあいうえおかきくけ") + " ");
  // Half-width katakana are one byte each and fill the field exactly.
  r.Set(ExamField::Name, "ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆ");
  EXPECT_EQ(r.Get(ExamField::Name), "ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄ");
  // The neighbouring field is untouched by any of it.
  EXPECT_EQ(r.Raw(ExamField::Sex), " ");
}

TEST(FieldStorage, OnlyHalfWidthBlanksAreTrimmed) {
  ListEntryRecord e;
  e.Set(ListEntryField::EntryText, "  　洞調律　  ");
  EXPECT_EQ(e.Get(ListEntryField::EntryText), "　洞調律　");
  EXPECT_EQ(Trimmed("\t x \t"), "\t x \t");
  EXPECT_EQ(Trimmed("   "), "");
}

TEST(PatientRecordBytes, LayoutOf127Bytes) {
  PatientRecord p;
  p.Set(PatientField::RecordNo, FormatNumber(1, "0000000000"));
  p.Set(PatientField::PatientId, "000045");
  p.Set(PatientField::Name, "佐藤");
  p.Set(PatientField::Reading, "ｻﾄｳ");
  p.Set(PatientField::Sex, "M");
  p.Set(PatientField::BirthDate, "1980/12/31");
  p.Set(PatientField::Department, "総務");
  p.Set(PatientField::Remarks, "");
  std::string expected = "0000000001000045" + Pad(platform::ToCp932("佐藤"), 20) +
                         Pad(platform::ToCp932("ｻﾄｳ"), 20) + "M1980/12/31" +
                         Pad(platform::ToCp932("総務"), 10) + std::string(50, ' ');
  EXPECT_EQ(Hex(p.Bytes()), Hex(expected));
}

TEST(NumericValue, ReadsLikeTheSystemAlwaysHas) {
  EXPECT_EQ(NumericValue("000045"), 45);
  EXPECT_EQ(NumericValue(" 13   "), 13);
  EXPECT_EQ(NumericValue("1 2 3"), 123);
  EXPECT_EQ(NumericValue("12abc"), 12);
  EXPECT_EQ(NumericValue("abc"), 0);
  EXPECT_EQ(NumericValue(""), 0);
  EXPECT_EQ(NumericValue("-7"), -7);
  EXPECT_EQ(NumericValue("2006/01/15"), 2006);
  EXPECT_DOUBLE_EQ(NumericValue("1.5e2x"), 150);
  EXPECT_EQ(NumericValue("1e"), 1);
  EXPECT_EQ(NumericValue("　12"), 0);  // a full-width blank is not a blank
}

TEST(FormatNumber, ThePatternsOfTheSystem) {
  EXPECT_EQ(FormatNumber(45, "000000"), "000045");
  EXPECT_EQ(FormatNumber(1234567, "000000"), "1234567");
  EXPECT_EQ(FormatNumber(3, "0000000000"), "0000000003");
  EXPECT_EQ(FormatNumber(0, "#,##0"), "0");
  EXPECT_EQ(FormatNumber(1234567, "#,##0"), "1,234,567");
  EXPECT_EQ(FormatNumber(999, "#,##0"), "999");
  EXPECT_EQ(FormatNumber(0, "####"), "");
  EXPECT_EQ(FormatNumber(2.5, "000000"), "000003");
  EXPECT_EQ(SignedNumber(0), " 0");
  EXPECT_EQ(SignedNumber(-12), "-12");
  EXPECT_EQ(FormatDate(2006, 1, 5), "2006/01/05");
}

}  // namespace
