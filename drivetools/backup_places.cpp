#include "drivetools/backup_places.h"

#include <QSettings>
#include <QStandardPaths>

namespace drivetools {
namespace {

QSettings Settings() {
  return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("velunor2"),
                   QStringLiteral("settings"));
}

}  // namespace

std::filesystem::path DefaultBackupFolder() {
  QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (documents.isEmpty())
    documents = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
  return std::filesystem::path(documents.toStdString()) / "Velunor2.0" / "バックアップ";
}

std::filesystem::path BackupSettings::LastFolder() {
  const QString folder = Settings().value(QStringLiteral("backup/lastFolder")).toString();
  return folder.isEmpty() ? DefaultBackupFolder() : std::filesystem::path(folder.toStdString());
}

void BackupSettings::SetLastFolder(const std::filesystem::path& folder) {
  Settings().setValue(QStringLiteral("backup/lastFolder"), QString::fromStdString(folder.string()));
}

int BackupSettings::ReminderDays() {
  bool ok = false;
  const int days = Settings().value(QStringLiteral("backup/reminderDays"), 7).toInt(&ok);
  return ok && days > 0 ? days : 7;
}

QDate BackupSettings::RemindedOn() {
  return Settings().value(QStringLiteral("backup/remindedOn")).toDate();
}

void BackupSettings::SetRemindedOn(QDate day) {
  Settings().setValue(QStringLiteral("backup/remindedOn"), day);
}

}  // namespace drivetools
