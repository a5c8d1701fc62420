#pragma once

#include <QDialog>
#include <filesystem>

class QLineEdit;

namespace drivetools {

// バックアップ作成: the folder the backup goes to (a USB medium is the usual
// place), the last one used to begin with.
class BackupDialog : public QDialog {
  Q_OBJECT

 public:
  BackupDialog(const std::filesystem::path& folder, const QString& lastBackup,
               QWidget* parent = nullptr);
  std::filesystem::path Folder() const;

  QLineEdit* FolderEdit = nullptr;
};

}  // namespace drivetools
