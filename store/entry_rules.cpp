#include "store/entry_rules.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace store {
namespace {

using std::chrono::day;
using std::chrono::month;
using std::chrono::year;

// UTF-8 -> code points; a malformed byte stands for itself.
std::u32string Decode(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    std::size_t length = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    if (i + length > text.size()) length = 1;
    char32_t c = length == 1 ? b : b & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    out.push_back(c);
    i += length;
  }
  return out;
}

// Full-width ASCII forms and the ideographic blank as their half-width forms.
std::u32string HalfWidth(std::string_view text) {
  std::u32string out = Decode(text);
  for (char32_t& c : out) {
    if (c >= 0xFF01 && c <= 0xFF5E) {
      c = c - 0xFF01 + 0x21;
    } else if (c == 0x3000) {
      c = ' ';
    } else if (c == 0x2212) {  // minus sign
      c = '-';
    }
  }
  return out;
}

bool IsBlank(char32_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char32_t c) { return c >= '0' && c <= '9'; }

std::u32string_view TrimmedView(std::u32string_view t) {
  while (!t.empty() && IsBlank(t.front())) t.remove_prefix(1);
  while (!t.empty() && IsBlank(t.back())) t.remove_suffix(1);
  return t;
}

struct Era {
  std::u32string_view name;
  char32_t squared;  // the era as one character (㍻)
  char letter;
  Date first;
};

const std::array<Era, 5> kEras = {{
    {U"明治", U'\u337E', 'M', Date{year{1868}, month{1}, day{1}}},
    {U"大正", U'\u337D', 'T', Date{year{1912}, month{7}, day{30}}},
    {U"昭和", U'\u337C', 'S', Date{year{1926}, month{12}, day{25}}},
    {U"平成", U'\u337B', 'H', Date{year{1989}, month{1}, day{8}}},
    {U"令和", U'\u32FF', 'R', Date{year{2019}, month{5}, day{1}}},
}};

// Removes an era name at the start of `t`: the two characters, the squared
// character, or the letter when a year (digits or 元) follows.
const Era* TakeEra(std::u32string_view& t) {
  for (const Era& era : kEras) {
    std::size_t length = 0;
    if (t.starts_with(era.name)) {
      length = era.name.size();
    } else if (!t.empty() && t.front() == era.squared) {
      length = 1;
    } else if (t.size() > 1 && (t.front() == static_cast<char32_t>(era.letter) ||
                                t.front() == static_cast<char32_t>(era.letter + 32))) {
      if (!IsDigit(t[1]) && t[1] != U'元') continue;
      length = 1;
    } else {
      continue;
    }
    t.remove_prefix(length);
    t = TrimmedView(t);
    return &era;
  }
  return nullptr;
}

struct Number {
  int value = 0;
  std::size_t digits = 0;
};

// The text as a shape: 'n' per number, the separators as they stand, 'Y',
// 'M', 'D' for 年, 月, 日 and ' ' for blanks.
bool Tokenize(std::u32string_view t, bool era, std::string& shape, std::vector<Number>& numbers) {
  for (std::size_t i = 0; i < t.size();) {
    const char32_t c = t[i];
    if (IsDigit(c)) {
      Number n;
      while (i < t.size() && IsDigit(t[i])) {
        if (++n.digits > 4) return false;
        n.value = n.value * 10 + static_cast<int>(t[i] - '0');
        ++i;
      }
      numbers.push_back(n);
      shape.push_back('n');
      continue;
    }
    if (c == U'元' && era && numbers.empty()) {
      numbers.push_back({1, 1});
      shape.push_back('n');
    } else if (c == '/' || c == '-' || c == '.') {
      shape.push_back(static_cast<char>(c));
    } else if (c == U'年') {
      shape.push_back('Y');
    } else if (c == U'月') {
      shape.push_back('M');
    } else if (c == U'日') {
      shape.push_back('D');
    } else if (IsBlank(c)) {
      if (shape.empty() || shape.back() != ' ') shape.push_back(' ');
    } else {
      return false;
    }
    ++i;
  }
  // Blanks only stand between the parts of a date written in characters.
  if (shape.find(' ') != std::string::npos) {
    if (shape.find_first_of("YMD") == std::string::npos) return false;
    std::erase(shape, ' ');
  }
  return true;
}

bool IsSeparator(char c, std::string_view allowed) { return allowed.find(c) != std::string::npos; }

std::optional<Date> Make(int y, int m, int d) {
  const Date date{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}};
  if (m < 1 || d < 1 || !date.ok()) return std::nullopt;
  return date;
}

std::optional<int> WesternYear(const Number& n) {
  if (n.digits <= 2) return n.value < 30 ? 2000 + n.value : 1900 + n.value;
  if (n.value < 100) return std::nullopt;
  return n.value;
}

enum class Form { None, YearMonthDay, MonthDay, YearMonth };

Form FormOf(const std::string& s) {
  if (s.size() == 5 && s[0] == 'n' && s[2] == 'n' && s[4] == 'n' && IsSeparator(s[1], "/-.") &&
      IsSeparator(s[3], "/-.")) {
    return Form::YearMonthDay;
  }
  if (s == "nYnMnD" || s == "nYnMn") return Form::YearMonthDay;
  if (s.size() == 3 && s[0] == 'n' && s[2] == 'n' && IsSeparator(s[1], "/-")) {
    return Form::MonthDay;  // or year and month, by the digits of the first number
  }
  if (s == "nMnD" || s == "nMn") return Form::MonthDay;
  if (s == "nYnM") return Form::YearMonth;
  return Form::None;
}

// The numeric part of a number text with a decimal point and an exponent
// ("d" read as "e"), or nothing when the text is no number.
std::optional<std::string> NumberCore(std::string_view text) {
  const std::u32string half = HalfWidth(text);
  const std::u32string_view t = TrimmedView(half);
  std::string core;
  std::size_t i = 0;
  auto at = [&](std::size_t k) -> char32_t { return k < t.size() ? t[k] : 0; };
  if (at(i) == '+' || at(i) == '-') core.push_back(static_cast<char>(t[i++]));
  std::size_t before = 0, after = 0;
  while (IsDigit(at(i))) core.push_back(static_cast<char>(t[i++])), ++before;
  if (at(i) == '.') {
    core.push_back('.');
    ++i;
    while (IsDigit(at(i))) core.push_back(static_cast<char>(t[i++])), ++after;
  }
  if (before == 0 && after == 0) return std::nullopt;
  const char32_t e = at(i);
  if (e == 'e' || e == 'E' || e == 'd' || e == 'D') {
    core.push_back('e');
    ++i;
    if (at(i) == '+' || at(i) == '-') core.push_back(static_cast<char>(t[i++]));
    std::size_t exponent = 0;
    while (IsDigit(at(i))) core.push_back(static_cast<char>(t[i++])), ++exponent;
    if (exponent == 0) return std::nullopt;
  }
  if (i != t.size()) return std::nullopt;
  return core;
}

std::optional<double> NumberOf(std::string_view text) {
  const std::optional<std::string> core = NumberCore(text);
  if (!core) return std::nullopt;
  const double value = std::strtod(core->c_str(), nullptr);
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

// The digits of a whole number as Windows writes a double: exact below
// 10^15, else 15 significant digits followed by zeros.
std::string WholeDigits(double magnitude) {
  if (magnitude < 1e15) return std::to_string(static_cast<long long>(magnitude));
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.14e", magnitude);
  const std::string_view text(buffer);
  const std::size_t e = text.find('e');
  std::string digits;
  for (char c : text.substr(0, e)) {
    if (c != '.') digits.push_back(c);
  }
  const int exponent = std::atoi(buffer + e + 1);
  digits.append(static_cast<std::size_t>(exponent - 14), '0');
  return digits;
}

}  // namespace

std::optional<Date> ParseExamDate(std::string_view text, Date today) {
  const std::u32string half = HalfWidth(text);
  std::u32string_view t = TrimmedView(half);
  const Era* era = TakeEra(t);
  std::string shape;
  std::vector<Number> n;
  if (!Tokenize(t, era != nullptr, shape, n)) return std::nullopt;
  Form form = FormOf(shape);
  if (form == Form::None) return std::nullopt;
  // "2006/2" names a month; "2/1" a day of this year.
  if (form == Form::MonthDay && shape.size() == 3 && (era != nullptr || n[0].digits >= 3)) {
    form = Form::YearMonth;
  }
  if (form == Form::MonthDay && era != nullptr) return std::nullopt;
  for (std::size_t i = 1; i < n.size(); ++i) {
    if (n[i].digits > 2) return std::nullopt;
  }

  std::optional<int> y;
  if (form == Form::MonthDay) {
    y = static_cast<int>(today.year());
  } else if (era != nullptr) {
    if (n[0].digits > 2 || n[0].value < 1) return std::nullopt;
    y = static_cast<int>(era->first.year()) + n[0].value - 1;
  } else {
    y = WesternYear(n[0]);
  }
  if (!y) return std::nullopt;
  std::optional<Date> date;
  switch (form) {
    case Form::YearMonthDay:
      date = Make(*y, n[1].value, n[2].value);
      break;
    case Form::MonthDay:
      date = Make(*y, n[0].value, n[1].value);
      break;
    case Form::YearMonth:
      date = Make(*y, n[1].value, 1);
      break;
    case Form::None:
      break;
  }
  if (date && era != nullptr && std::chrono::sys_days(*date) < std::chrono::sys_days(era->first)) {
    return std::nullopt;
  }
  return date;
}

std::string DateText(Date date) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d/%02u/%02u", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
  return buffer;
}

Date AddDays(Date date, int days) {
  return Date{std::chrono::sys_days(date) + std::chrono::days{days}};
}

Date LocalDate(std::chrono::system_clock::time_point when) {
  const std::time_t t = std::chrono::system_clock::to_time_t(when);
  std::tm local{};
  localtime_r(&t, &local);
  return Date{year{local.tm_year + 1900}, month{static_cast<unsigned>(local.tm_mon + 1)},
              day{static_cast<unsigned>(local.tm_mday)}};
}

bool IsNumericText(std::string_view text) { return NumberOf(text).has_value(); }

std::string FormatPatientId(std::string_view text) {
  const std::optional<double> value = NumberOf(text);
  if (!value) return std::string(text);
  const double whole = std::round(*value);
  std::string digits = WholeDigits(std::fabs(whole));
  if (digits.size() < 6) digits.insert(0, 6 - digits.size(), '0');
  return whole < 0 ? "-" + digits : digits;
}

bool PatientIdFits(std::string_view text) {
  if (!IsNumericText(text)) return false;
  const std::string formatted = FormatPatientId(text);
  if (formatted.empty() || formatted.size() > 6) return false;
  for (char c : formatted) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

int AgeInCalendarYears(Date birth, Date on) {
  return static_cast<int>(on.year()) - static_cast<int>(birth.year());
}

std::optional<int> AgeAtExamination(std::string_view birthDate, std::string_view examDate,
                                    Date today) {
  const std::optional<Date> birth = ParseExamDate(birthDate, today);
  if (!birth) return std::nullopt;
  const Date on = ParseExamDate(examDate, today).value_or(today);
  const int age = AgeInCalendarYears(*birth, on);
  if (age < 0) return std::nullopt;
  return age;
}

}  // namespace store
