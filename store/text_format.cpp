#include "store/text_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace store {

std::string_view TrimBlanks(std::string_view text) {
  std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

std::string Trimmed(std::string_view text) { return std::string(TrimBlanks(text)); }

double NumericValue(std::string_view text) {
  std::string number;
  bool seenDigit = false, seenPoint = false, seenExponent = false;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
    if (c >= '0' && c <= '9') {
      number.push_back(c);
      seenDigit = true;
    } else if ((c == '+' || c == '-') && (number.empty() || number.back() == 'e')) {
      number.push_back(c);
    } else if (c == '.' && !seenPoint && !seenExponent) {
      number.push_back(c);
      seenPoint = true;
    } else if ((c == 'e' || c == 'E' || c == 'd' || c == 'D') && seenDigit && !seenExponent) {
      number.push_back('e');
      seenExponent = true;
    } else {
      break;
    }
  }
  if (!seenDigit) return 0.0;
  // An exponent without digits ("12e") does not continue the number.
  while (!number.empty() &&
         (number.back() == 'e' || number.back() == '+' || number.back() == '-')) {
    number.pop_back();
  }
  return std::strtod(number.c_str(), nullptr);
}

namespace {

long long RoundWhole(double value) {
  return static_cast<long long>(value < 0 ? std::ceil(value - 0.5) : std::floor(value + 0.5));
}

}  // namespace

std::string FormatNumber(double value, std::string_view pattern) {
  long long whole = RoundWhole(value);
  bool negative = whole < 0;
  unsigned long long magnitude =
      negative ? static_cast<unsigned long long>(-whole) : static_cast<unsigned long long>(whole);
  std::string digits = std::to_string(magnitude);
  std::string out;
  if (pattern == "#,##0") {
    for (std::size_t i = 0; i < digits.size(); ++i) {
      if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back(',');
      out.push_back(digits[i]);
    }
  } else if (pattern == "####") {
    if (magnitude != 0) out = digits;
  } else {
    std::size_t width = pattern.size();
    out = digits.size() < width ? std::string(width - digits.size(), '0') + digits : digits;
  }
  return negative && !out.empty() ? "-" + out : out;
}

std::string SignedNumber(double value) {
  char buffer[64];
  double whole = std::trunc(value);
  if (whole == value && std::fabs(value) < 1e15) {
    std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(whole));
  } else {
    std::snprintf(buffer, sizeof buffer, "%.7g", value);
  }
  std::string text = buffer;
  return value < 0 ? text : " " + text;
}

std::string FormatDate(int year, int month, int day) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d", year, month, day);
  return buffer;
}

std::string FormatDateTime(std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d %d:%02d:%02d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return buffer;
}

}  // namespace store
