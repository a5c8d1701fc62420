#include "drivetools/drive_tools.h"

#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <ctime>

#include "drivetools/backup_dialog.h"
#include "drivetools/backup_places.h"
#include "drivetools/check_report.h"
#include "drivetools/csv_dialog.h"
#include "platform/qt_text.h"
#include "platform/ui.h"
#include "widgets/progress_window.h"

namespace drivetools {

DriveTools::DriveTools(store::Store& store, platform::Ui& ui, QMainWindow* window)
    : QObject(window), store_(store), session_(store), ui_(ui), window_(window) {
  setObjectName(QStringLiteral("DriveTools"));
  progress_ = new Dialog2(window);
}

void DriveTools::ShowLastBackup() {
  if (lastBackup_ == nullptr) {
    lastBackup_ = new QLabel(window_->statusBar());
    // The name ends in "Hint": the status line stays while it is there.
    lastBackup_->setObjectName(QStringLiteral("LastBackupHint"));
    window_->statusBar()->addPermanentWidget(lastBackup_);
  }
  lastBackup_->setText(platform::Q(session_.LastBackupText()));
  lastBackup_->show();
  window_->statusBar()->show();
}

void DriveTools::Backup() {
  BackupDialog dialog(BackupSettings::LastFolder(), platform::Q(session_.LastBackupText()),
                      window_);
  if (dialog.exec() != QDialog::Accepted) return;
  const std::filesystem::path folder = dialog.Folder();
  if (!std::filesystem::is_directory(folder)) {
    if (folder != DefaultBackupFolder() || platform::CreateFolders(folder)) {
      ui_.MsgBox("保存先フォルダがありません。\n" + folder.string(), platform::kExclamation);
      return;
    }
  }
  const sessions::BackupOutcome outcome = session_.Backup(folder, std::time(nullptr), *progress_);
  if (outcome.done) {
    BackupSettings::SetLastFolder(folder);
    ShowLastBackup();
  }
  sessions::Show(ui_, outcome);
}

void DriveTools::Restore() {
  const QString file =
      QFileDialog::getOpenFileName(window_, QStringLiteral("バックアップから復元"),
                                   QString::fromStdString(BackupSettings::LastFolder().string()),
                                   QStringLiteral("バックアップ (*.tar.gz)"));
  if (file.isEmpty()) return;
  const std::filesystem::path archive = file.toStdString();
  const sessions::RestoreQuestion question = session_.AskRestore(archive, *progress_);
  sessions::Show(ui_, question);
  if (!question.sound || ui_.MsgBox(question.question, question.style) != platform::kAnswerYes) {
    return;
  }
  const sessions::RestoreOutcome outcome =
      session_.Restore(archive, DefaultBackupFolder(), std::time(nullptr), *progress_);
  if (outcome.replaced && afterRestore) afterRestore();
  ShowLastBackup();
  sessions::Show(ui_, outcome);
}

void DriveTools::ExportCsv() {
  CsvDialog dialog(session_.ListOnScreen(), BackupSettings::LastFolder().parent_path(), window_);
  if (dialog.exec() != QDialog::Accepted) return;
  sessions::Show(ui_,
                 session_.ExportCsv(dialog.Source(), dialog.File(), dialog.Encoding(), *progress_));
}

void DriveTools::Check() {
  const sessions::CheckOutcome outcome = session_.Check(false, *progress_);
  if (!outcome.Silent()) sessions::Show(ui_, outcome);
  auto* report = window_->findChild<CheckReport*>(QStringLiteral("CheckReport"));
  if (report == nullptr) report = new CheckReport(window_);
  report->ShowReport(outcome.report, static_cast<int>(outcome.findings.size()));
  report->show();
  report->raise();
}

void DriveTools::RemindOfBackup(bool remind) {
  ShowLastBackup();
  const QDate today = QDate::currentDate();
  if (!remind || BackupSettings::RemindedOn() == today) return;
  const std::string reminder =
      session_.Reminder(std::time(nullptr), BackupSettings::ReminderDays());
  if (reminder.empty()) return;
  BackupSettings::SetRemindedOn(today);
  ui_.MsgBox(reminder, platform::kInformation);
}

}  // namespace drivetools
