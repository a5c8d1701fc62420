// バックアップ作成…, バックアップから復元…, CSV出力… and データの点検 of
// ファイル(F): the drive tools, with the main window's status line.
#include <QAction>

#include "drivetools/drive_tools.h"
#include "mainwin/main_window.h"
#include "widgets/command_guard.h"

void Form1::ConnectDriveToolsMenus() {
  auto* tools = new drivetools::DriveTools(store_, ui_, this);
  // The restored drive's last examination, or a blank form when it has none.
  tools->afterRestore = [this] {
    if (session_.RecordCount() == 0 || !ShowExamination(session_.RecordCount())) {
      StartNewExamination();
    }
  };
  const std::pair<QAction*, void (drivetools::DriveTools::*)()> commands[] = {
      {F_backup, &drivetools::DriveTools::Backup},
      {F_restore, &drivetools::DriveTools::Restore},
      {F_csv, &drivetools::DriveTools::ExportCsv},
      {F_check, &drivetools::DriveTools::Check},
  };
  for (const auto& [item, command] : commands) {
    item->setEnabled(true);
    connect(item, &QAction::triggered, tools,
            widgets::Guarded(store_, [tools, command] { (tools->*command)(); }));
  }
}
