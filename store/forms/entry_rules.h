#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace store {

// The dates the examination-date field accepts, as a Japanese Windows reads
// them: year/month/day with "/", "-" or "." between one- or two-digit month
// and day; "yyyy年m月d日"; month/day (or "m月d日") of `today`'s year; full-width
// digits and separators as their half-width forms. A two-digit year is
// 1930-2029. Blanks around the text are ignored. An impossible date
// (2006/2/30) and anything else give nothing.
std::optional<QDate> ParseExamDate(const QString& text, const QDate& today);

// "yyyy/mm/dd".
QString DateText(const QDate& date);

// True for text that reads whole as a number: blanks around it, an optional
// sign, digits with at most one decimal point, an optional exponent.
bool IsNumericText(const QString& text);

// The ID field's text formatted with the pattern "000000": a number rounded
// and zero-padded to six digits (45 -> "000045"); other text unchanged.
QString FormatPatientId(const QString& text);

// Whole calendar years from the year of `birth` to the year of `today`.
int AgeInCalendarYears(const QDate& birth, const QDate& today);

}  // namespace store
