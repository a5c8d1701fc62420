#include "drivetools/backup_dialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace drivetools {

BackupDialog::BackupDialog(const std::filesystem::path& folder, const QString& lastBackup,
                           QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("BackupDialog"));
  setWindowTitle(QStringLiteral("バックアップ作成"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(
      QStringLiteral(
          "検査・画像・患者マスタ・登録内容など、データすべてを 1 つのファイルに保存します。\n"
          "保存後に読み返して確かめます。"),
      this));
  layout->addWidget(new QLabel(QStringLiteral("保存先フォルダ:"), this));
  auto* row = new QHBoxLayout;
  // The home folder is shown as "~", as the guide writes it.
  QString shown = QString::fromStdString(folder.string());
  if (shown.startsWith(QDir::homePath() + QStringLiteral("/"))) {
    shown.replace(0, QDir::homePath().size(), QStringLiteral("~"));
  }
  FolderEdit = new QLineEdit(shown, this);
  FolderEdit->setMinimumWidth(440);
  auto* browse = new QPushButton(QStringLiteral("参照..."), this);
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString chosen = QFileDialog::getExistingDirectory(
        this, QStringLiteral("保存先フォルダ"), QString::fromStdString(Folder().string()));
    if (!chosen.isEmpty()) FolderEdit->setText(chosen);
  });
  row->addWidget(FolderEdit, 1);
  row->addWidget(browse);
  layout->addLayout(row);
  layout->addWidget(new QLabel(lastBackup, this));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("作成"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

std::filesystem::path BackupDialog::Folder() const {
  QString text = FolderEdit->text().trimmed();
  if (text == QStringLiteral("~") || text.startsWith(QStringLiteral("~/"))) {
    text.replace(0, 1, QDir::homePath());
  }
  return text.toStdString();
}

}  // namespace drivetools
