#include "forms/entry_rules.h"

#include "platform/qt_ui.h"

namespace store {

using platform::Q;
using platform::S;

QDate ToQDate(Date date) {
  return QDate(static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
               static_cast<int>(static_cast<unsigned>(date.day())));
}

Date FromQDate(const QDate& date) {
  return Date{std::chrono::year{date.year()},
              std::chrono::month{static_cast<unsigned>(date.month())},
              std::chrono::day{static_cast<unsigned>(date.day())}};
}

std::optional<QDate> ParseExamDate(const QString& text, const QDate& today) {
  const std::optional<Date> date = ParseExamDate(S(text), FromQDate(today));
  if (!date) return std::nullopt;
  return ToQDate(*date);
}

QString DateText(const QDate& date) {
  return date.isValid() ? Q(DateText(FromQDate(date))) : QString();
}

bool IsNumericText(const QString& text) { return IsNumericText(S(text)); }

QString FormatPatientId(const QString& text) { return Q(FormatPatientId(S(text))); }

bool PatientIdFits(const QString& text) { return PatientIdFits(S(text)); }

int AgeInCalendarYears(const QDate& birth, const QDate& today) {
  return AgeInCalendarYears(FromQDate(birth), FromQDate(today));
}

QString AgeAtExamination(const QString& birthDate, const QString& examDate, const QDate& today) {
  const std::optional<int> age = AgeAtExamination(S(birthDate), S(examDate), FromQDate(today));
  return age ? QString::number(*age) : QString();
}

}  // namespace store
