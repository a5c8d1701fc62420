#include "store/forms/entry_rules.h"

#include <QRegularExpression>
#include <cmath>

#include "platform/qt_ui.h"
#include "store/text_format.h"

namespace store {
namespace {

// Full-width digits, separators and blanks as their half-width forms.
QString HalfWidth(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (QChar c : text) {
    char16_t u = c.unicode();
    if (u >= 0xFF10 && u <= 0xFF19) {
      out.append(QChar(u - 0xFF10 + '0'));
    } else if (u == 0xFF0F) {
      out.append(QLatin1Char('/'));
    } else if (u == 0xFF0D || u == 0x2212) {
      out.append(QLatin1Char('-'));
    } else if (u == 0xFF0E) {
      out.append(QLatin1Char('.'));
    } else if (u == 0x3000) {
      out.append(QLatin1Char(' '));
    } else {
      out.append(c);
    }
  }
  return out;
}

std::optional<int> FullYear(const QString& digits) {
  int year = digits.toInt();
  if (digits.size() <= 2) return year < 30 ? 2000 + year : 1900 + year;
  if (year < 100) return std::nullopt;
  return year;
}

std::optional<QDate> Make(std::optional<int> year, int month, int day) {
  if (!year || !QDate::isValid(*year, month, day)) return std::nullopt;
  return QDate(*year, month, day);
}

}  // namespace

std::optional<QDate> ParseExamDate(const QString& text, const QDate& today) {
  const QString t = HalfWidth(text).trimmed();
  static const QRegularExpression ymd(
      QStringLiteral("^(\\d{1,4})[/\\-.](\\d{1,2})[/\\-.](\\d{1,2})$"));
  static const QRegularExpression ymdKanji(
      QStringLiteral("^(\\d{1,4})\\s*年\\s*(\\d{1,2})\\s*月\\s*(\\d{1,2})\\s*日?$"));
  static const QRegularExpression md(QStringLiteral("^(\\d{1,2})[/\\-](\\d{1,2})$"));
  static const QRegularExpression mdKanji(
      QStringLiteral("^(\\d{1,2})\\s*月\\s*(\\d{1,2})\\s*日?$"));
  static const QRegularExpression ym(QStringLiteral("^(\\d{3,4})[/\\-](\\d{1,2})$"));
  static const QRegularExpression ymKanji(QStringLiteral("^(\\d{1,4})\\s*年\\s*(\\d{1,2})\\s*月$"));

  QRegularExpressionMatch m;
  auto number = [&m](int i) { return m.captured(i).toInt(); };
  if ((m = ymd.match(t)).hasMatch() || (m = ymdKanji.match(t)).hasMatch()) {
    return Make(FullYear(m.captured(1)), number(2), number(3));
  }
  if ((m = md.match(t)).hasMatch() || (m = mdKanji.match(t)).hasMatch()) {
    return Make(today.year(), number(1), number(2));
  }
  if ((m = ym.match(t)).hasMatch() || (m = ymKanji.match(t)).hasMatch()) {
    return Make(FullYear(m.captured(1)), number(2), 1);
  }
  return std::nullopt;
}

QString DateText(const QDate& date) { return date.toString(QStringLiteral("yyyy/MM/dd")); }

bool IsNumericText(const QString& text) {
  static const QRegularExpression number(
      QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eEdD][+-]?\\d+)?\\s*$"));
  return number.match(text).hasMatch();
}

QString FormatPatientId(const QString& text) {
  if (!IsNumericText(text)) return text;
  return platform::Q(FormatNumber(NumericValue(platform::S(text)), "000000"));
}

int AgeInCalendarYears(const QDate& birth, const QDate& today) {
  return today.year() - birth.year();
}

}  // namespace store
