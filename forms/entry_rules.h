#pragma once

#include <QDate>
#include <QString>
#include <optional>

#include "store/entry_rules.h"

namespace store {

// The entry rules of store/entry_rules.h for the windows' Qt types.

QDate ToQDate(Date date);
Date FromQDate(const QDate& date);

std::optional<QDate> ParseExamDate(const QString& text, const QDate& today);
QString DateText(const QDate& date);
bool IsNumericText(const QString& text);
QString FormatPatientId(const QString& text);
bool PatientIdFits(const QString& text);
int AgeInCalendarYears(const QDate& birth, const QDate& today);
// The age text the ID lookup fills in; empty when there is none.
QString AgeAtExamination(const QString& birthDate, const QString& examDate, const QDate& today);

}  // namespace store
