#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace store {

using Date = std::chrono::year_month_day;

// The dates the date fields accept, as a Japanese Windows reads them. Texts
// are UTF-8; full-width digits, letters, separators and blanks count as
// their half-width forms, and blanks around the text are ignored.
//   2006/2/1  2006-02-01  2006.2.1     year, month, day ("/", "-" or ".")
//   2006年2月1日  2006年2月1            the same in characters
//   2/1  2月1日                         month and day of `today`'s year
//   2006/2  2006年2月                   the first day of the month
//   06/2/1                             a two-digit year is 1930-2029
//   平成18年2月1日  H18/2/1  h18.2.1  平成18/2/1  ㍻18年2月1日
//                                      a Japanese era (明治 M, 大正 T,
//                                      昭和 S, 平成 H, 令和 R; upper or lower
//                                      case), its year in digits or 元 (1)
//   H18/2  平成18年2月                   the first day of the month
// An era date before the first day of its era (平成元年1月7日 was still 昭和)
// is refused. A year past the era's end counts on in that era, as Windows
// itself reads the dates of forms printed before an era changed (平成32年 is
// 2020). An impossible date (2006/2/30), a year below 100 written with three
// or four digits, and anything else give nothing.
std::optional<Date> ParseExamDate(std::string_view text, Date today);

// "yyyy/mm/dd".
std::string DateText(Date date);

// `date` moved by `days` days.
Date AddDays(Date date, int days);

// The calendar date of `when` in local time.
Date LocalDate(std::chrono::system_clock::time_point when);

// True for text that reads whole as a number: blanks around it, an optional
// sign, digits with at most one decimal point, an optional exponent ("e" or
// "d"). Full-width digits, signs, point and blanks count as half-width. A
// number too large for a double ("1e400") is no number, as Windows says.
bool IsNumericText(std::string_view text);

// The ID field's text formatted with the pattern "000000". Numeric text (see
// IsNumericText) is rounded half away from zero to a whole number and written
// with at least six digits, zero-padded: "45" and "４５" give "000045", "-45"
// gives "-000045". Large numbers keep all their digits as Windows writes
// them, 15 significant digits then zeros: "99999999999999999999" gives
// "100000000000000000000", "9e99" a 9 and 99 zeros. Other text is returned
// unchanged.
std::string FormatPatientId(std::string_view text);

// True when the ID text, once formatted with "000000", is a patient ID the
// six-digit ID field holds: one to six digits ("45", "000045", "123456").
// Not "1234567", not a negative number ("-45" would be "-000045"), not text
// that is no number, not an empty text.
bool PatientIdFits(std::string_view text);

// Whole calendar years from the year of `birth` to the year of `on`: a
// patient born in December counts one year older on 1 January.
int AgeInCalendarYears(Date birth, Date on);

// The age the ID lookup fills in: calendar years from the year of the birth
// date text to the year of the examination date text, or of `today` when the
// examination date is no date. Nothing when the birth date is no date or
// lies in a later year than the examination.
std::optional<int> AgeAtExamination(std::string_view birthDate, std::string_view examDate,
                                    Date today);

}  // namespace store
