#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace store {

// Removes half-width blanks (0x20) at both ends. A full-width blank is part
// of a value and stays.
std::string_view TrimBlanks(std::string_view text);
std::string Trimmed(std::string_view text);

// The numeric value of a text, as every numeric field of the files is read:
// blanks (and tabs and line feeds) are skipped wherever they stand, then an
// optional sign, digits, a decimal point and an exponent are read up to the
// first character that cannot continue a number. No number gives 0.
double NumericValue(std::string_view text);

// Formats a number with one of the patterns the system uses:
//   "000000", "0000000000"  zero-padded whole number of that many digits
//   "#,##0"                 thousands separators
//   "####"                  whole number, empty for zero
// The value is rounded half away from zero to a whole number first.
std::string FormatNumber(double value, std::string_view pattern);

// A number in the form with the leading blank for the sign: 12 -> " 12",
// -12 -> "-12".
std::string SignedNumber(double value);

// "yyyy/mm/dd" of a calendar date.
std::string FormatDate(int year, int month, int day);

// A date and time as the system shows it: "yyyy/mm/dd h:mm:ss" in local time.
std::string FormatDateTime(std::time_t when);

}  // namespace store
