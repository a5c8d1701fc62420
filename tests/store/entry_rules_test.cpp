#include "store/entry_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace store;
using std::chrono::day;
using std::chrono::month;
using std::chrono::year;

const Date kToday{year{2006}, month{1}, day{1}};

// The text a date field shows after it is left: the date, or "" when refused.
std::string Left(std::string_view typed, Date today = kToday) {
  const std::optional<Date> date = ParseExamDate(typed, today);
  return date ? DateText(*date) : std::string();
}

struct Case {
  const char* typed;
  const char* expected;
};

void ExpectDates(std::initializer_list<Case> cases) {
  for (const Case& c : cases) EXPECT_EQ(Left(c.typed), c.expected) << c.typed;
}

TEST(ExamDate, WesternFormsAreNormalised) {
  ExpectDates({
      {"2006/2/1", "2006/02/01"},
      {"2006-02-01", "2006/02/01"},
      {"2006.2.1", "2006/02/01"},
      {"2006年2月1日", "2006/02/01"},
      {"2006 年 2 月 1 日", "2006/02/01"},
      {"2006年2月1", "2006/02/01"},
      {"12/31", "2006/12/31"},
      {"3月4日", "2006/03/04"},
      {"2006/2", "2006/02/01"},
      {"2006年2月", "2006/02/01"},
      {"06/2/1", "2006/02/01"},
      {"29/2/1", "2029/02/01"},
      {"30/2/1", "1930/02/01"},
      {"85/2/1", "1985/02/01"},
      {"２００６／２／１", "2006/02/01"},
      {" 2006/2/1 ", "2006/02/01"},
      {"\xE3\x80\x80"
       "2006/2/1",
       "2006/02/01"},  // a full-width blank before it
      {"2004/2/29", "2004/02/29"},
  });
}

TEST(ExamDate, ImpossibleOrMalformedTextIsRefused) {
  ExpectDates({
      {"2006/2/30", ""},
      {"2006/2/29", ""},
      {"2006/13/1", ""},
      {"2006/0/1", ""},
      {"2006/1/0", ""},
      {"abc", ""},
      {"20060201", ""},
      {"2006/2/1x", ""},
      {"2006 / 2 / 1", ""},  // blanks only between parts written in characters
      {"0099/1/1", ""},
      {"2006/123/1", ""},
      {"12.31", ""},
      {"", ""},
      {"   ", ""},
  });
}

TEST(ExamDate, JapaneseErasGiveTheWesternDate) {
  ExpectDates({
      {"平成18年2月1日", "2006/02/01"},
      {"H18/2/1", "2006/02/01"},
      {"H18.2.1", "2006/02/01"},
      {"h18-2-1", "2006/02/01"},
      {"平成18/2/1", "2006/02/01"},
      {"R8.12.8", "2026/12/08"},
      {"令和元年5月1日", "2019/05/01"},
      {"R元/5/1", "2019/05/01"},
      {"S63.1.7", "1988/01/07"},
      {"昭和64年1月7日", "1989/01/07"},
      {"平成元年1月8日", "1989/01/08"},
      {"T15.12.24", "1926/12/24"},
      {"大正元年7月30日", "1912/07/30"},
      {"M45.7.29", "1912/07/29"},
      {"明治1年1月1日", "1868/01/01"},
      {"ｈ１８．２．１", "2006/02/01"},  // half-width letter, full-width digits
      {"Ｈ１８／２／１", "2006/02/01"},  // full-width letter
      {"平成１８年２月１日", "2006/02/01"},
      {"平成 18 年 2 月 1 日", "2006/02/01"},
      {"\xE3\x8D\xBB"
       "18年2月1日",
       "2006/02/01"},  // ㍻ as one character
      {"H18/2", "2006/02/01"},
      {"平成18年2月", "2006/02/01"},
  });
}

// A year past the era's end counts on, as dates on forms printed before the
// era changed are read; a day before the era began is no date of that era.
TEST(ExamDate, EraBoundaries) {
  ExpectDates({
      {"平成31年4月30日", "2019/04/30"},
      {"平成32年1月1日", "2020/01/01"},
      {"平成元年1月7日", ""},
      {"H1/1/7", ""},
      {"令和元年4月30日", ""},
      {"R1/4", ""},
      {"昭和元年12月24日", ""},
      {"平成0年1月1日", ""},
      {"平成18年2月30日", ""},
      {"平成123/1/1", ""},
      {"H18", ""},
      {"2月1日H", ""},
      {"元年5月1日", ""},         // 元 needs an era
      {"平成2/1", "1990/01/01"},  // with an era, two numbers are year and month
      {"X18/2/1", ""},
  });
}

TEST(ExamDate, MonthAndDayTakeTodaysYear) {
  const Date today{year{2024}, month{6}, day{30}};
  EXPECT_EQ(Left("2/29", today), "2024/02/29");
  EXPECT_EQ(Left("2/29"), "");  // 2006 has no 29 February
}

TEST(ExamDate, DayArithmeticAndText) {
  const Date d{year{2006}, month{2}, day{28}};
  EXPECT_EQ(DateText(AddDays(d, 1)), "2006/03/01");
  EXPECT_EQ(DateText(AddDays(Date{year{2006}, month{1}, day{1}}, -1)), "2005/12/31");
  EXPECT_EQ(DateText(Date{year{812}, month{3}, day{4}}), "0812/03/04");
}

TEST(PatientId, PaddedToSixDigits) {
  EXPECT_EQ(FormatPatientId("45"), "000045");
  EXPECT_EQ(FormatPatientId(" 45 "), "000045");
  EXPECT_EQ(FormatPatientId("000045"), "000045");
  EXPECT_EQ(FormatPatientId("４５"), "000045");
  EXPECT_EQ(FormatPatientId("\xE3\x80\x80"
                            "４５"),
            "000045");
  EXPECT_EQ(FormatPatientId("12.5"), "000013");
  EXPECT_EQ(FormatPatientId("-45"), "-000045");
  EXPECT_EQ(FormatPatientId("-0.4"), "000000");
  EXPECT_EQ(FormatPatientId("1e3"), "001000");
  EXPECT_EQ(FormatPatientId("1d3"), "001000");
  EXPECT_EQ(FormatPatientId("1234567"), "1234567");
  EXPECT_EQ(FormatPatientId("abc"), "abc");
  EXPECT_EQ(FormatPatientId("12a"), "12a");
  EXPECT_EQ(FormatPatientId(""), "");
}

// Numbers beyond a 64-bit whole number are written as Windows writes a
// double; a number beyond a double is no number and stays as typed.
TEST(PatientId, HugeNumbersHaveADefinedText) {
  EXPECT_EQ(FormatPatientId("99999999999999999999"), "100000000000000000000");
  EXPECT_EQ(FormatPatientId(".2e22"), "2" + std::string(21, '0'));
  EXPECT_EQ(FormatPatientId("9e99"), "9" + std::string(99, '0'));
  EXPECT_EQ(FormatPatientId("-9e99"), "-9" + std::string(99, '0'));
  EXPECT_EQ(FormatPatientId("123456789012345678"), "123456789012346000");
  EXPECT_EQ(FormatPatientId("1e400"), "1e400");
  EXPECT_EQ(FormatPatientId("-1e400"), "-1e400");
  EXPECT_FALSE(IsNumericText("1e400"));
}

TEST(PatientId, NumericText) {
  for (const char* yes : {"1e3", "+5", "-5", ".5", "5.", " 7 ", "１２", "1E+2", "2d-1"}) {
    EXPECT_TRUE(IsNumericText(yes)) << yes;
  }
  for (const char* no : {"", ".", "+", "1e", "1e+", "1 2", "12a", "0x10", "--1", "1.2.3"}) {
    EXPECT_FALSE(IsNumericText(no)) << no;
  }
}

TEST(PatientId, WhatFitsTheSixDigitField) {
  for (const char* yes : {"45", "000045", "123456", "４５", " 7 ", "0", "1e5"}) {
    EXPECT_TRUE(PatientIdFits(yes)) << yes;
  }
  for (const char* no :
       {"1234567", "999999.5", "-45", "abc", "", "1e400", "99999999999999999999", "1e6"}) {
    EXPECT_FALSE(PatientIdFits(no)) << no;
  }
}

TEST(Age, CalendarYearsToTheExaminationYear) {
  EXPECT_EQ(AgeInCalendarYears(Date{year{1980}, month{12}, day{31}}, kToday), 26);
  // The examination date counts, not today.
  EXPECT_EQ(AgeAtExamination("1980/12/31", "2006/01/01", Date{year{2030}, month{1}, day{1}}), 26);
  EXPECT_EQ(AgeAtExamination("1980/12/31", "2005/12/31", kToday), 25);
  EXPECT_EQ(AgeAtExamination("S55.12.31", "H18.1.1", kToday), 26);
  // An examination date that is no date: the current year.
  EXPECT_EQ(AgeAtExamination("1980/12/31", "", kToday), 26);
  EXPECT_EQ(AgeAtExamination("1980/12/31", "abc", kToday), 26);
  // No birth date, or one after the examination: no age.
  EXPECT_EQ(AgeAtExamination("", "2006/01/01", kToday), std::nullopt);
  EXPECT_EQ(AgeAtExamination("1980/13/01", "2006/01/01", kToday), std::nullopt);
  EXPECT_EQ(AgeAtExamination("2007/01/01", "2006/01/01", kToday), std::nullopt);
  EXPECT_EQ(AgeAtExamination("2006/12/31", "2006/01/01", kToday), 0);
}

}  // namespace
