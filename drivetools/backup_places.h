#pragma once

#include <QDate>
#include <filesystem>

namespace drivetools {

// Where backups go unless the user chose a folder before:
// <XDG Documents>/Velunor2.0/バックアップ (also the automatic backup taken
// before a restore).
std::filesystem::path DefaultBackupFolder();

// The drive tools' settings, kept beside the program's other settings
// ($XDG_CONFIG_HOME/velunor2/settings.ini).
struct BackupSettings {
  // The folder of the last backup, else DefaultBackupFolder().
  static std::filesystem::path LastFolder();
  static void SetLastFolder(const std::filesystem::path& folder);
  // After how many days without a backup the start-up reminds (7 unless set
  // as backup/reminderDays).
  static int ReminderDays();
  // The day of the last reminder, so that it comes once a day.
  static QDate RemindedOn();
  static void SetRemindedOn(QDate day);
};

}  // namespace drivetools
