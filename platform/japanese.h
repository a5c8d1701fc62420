#pragma once

#include <QString>

class QCalendarWidget;
class QCoreApplication;

namespace platform {

// The program speaks Japanese throughout, Qt's own texts included: sets the
// default locale to Japanese (Japan) and installs Qt's Japanese translations
// (qtbase_ja from the system's Qt translations), so that the context menus
// of the text boxes read 元に戻す / 切り取り / コピー / 貼り付け and the
// standard dialogs are Japanese. Returns the translation file loaded, or an
// empty string when none was found (the texts then stay English).
QString InstallJapanese(QCoreApplication& app);

// A month calendar in the Japanese manner: the header reads "2026年12月"
// (the year before the month, with 年), the week starts on Sunday, the
// locale is Japanese.
void MakeJapaneseCalendar(QCalendarWidget* calendar);

}  // namespace platform
