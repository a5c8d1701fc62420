#pragma once

#include <QObject>
#include <functional>

#include "sessions/drive_tools_session.h"

class QLabel;
class QMainWindow;
class Dialog2;

namespace platform {
class Ui;
}

namespace drivetools {

// The commands of ファイル(F): バックアップ作成…, バックアップから復元…,
// CSV出力… and データの点検, each asking what it needs, handing the work to
// its session with the progress window and showing the outcome.
class DriveTools : public QObject {
  Q_OBJECT

 public:
  // `window` is the main window: the dialogs belong to it and, once
  // RemindOfBackup or a backup ran, its status line says when the last
  // backup was taken.
  DriveTools(store::Store& store, platform::Ui& ui, QMainWindow* window);

  void Backup();
  void Restore();
  void ExportCsv();
  void Check();
  // At start-up: the status line says when the last backup was taken and,
  // once a day when `remind`, a box says so when it is older than the set
  // number of days.
  void RemindOfBackup(bool remind);

  // Runs after a restore replaced the drive, to show its data.
  std::function<void()> afterRestore;

 private:
  void ShowLastBackup();

  store::Store& store_;
  sessions::DriveToolsSession session_;
  platform::Ui& ui_;
  QMainWindow* window_;
  QLabel* lastBackup_ = nullptr;
  Dialog2* progress_ = nullptr;
};

}  // namespace drivetools
