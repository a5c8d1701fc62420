#pragma once

#include <QDialog>
#include <QImage>
#include <QString>
#include <array>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/ui.h"
#include "store/store.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The image-load dialog "画像読み込み": a drive list, the folder tree of the
// chosen drive and the picture files of the chosen folder, the facts of the
// highlighted file, and the loading of the chosen file into the main
// window's picture. Created on first use, then shown and hidden (modeless).
class Dialog : public QDialog {
  Q_OBJECT

 public:
  // The files File1 lists, matched ignoring letter case as Windows matches.
  static constexpr const char* kPattern = "*.bmp;*.BMP;*.jpg;*.jpeg";

  // `showInMainWindow` gets a loaded picture and the path of its file: the
  // main window shows it and keeps the path as the source of the next
  // registration.
  Dialog(store::Store& store, platform::Ui& ui,
         std::function<void(const QImage& picture, const std::string& path)> showInMainWindow,
         QWidget* parent = nullptr);

  // Empties the value labels Label19(0)-Label19(3): done by every opening
  // from the main window, before the dialog is shown.
  void ClearFileFacts();

  // Re-reads the files of the current folder (File1.Refresh), keeping the
  // highlighted name when it is still there.
  void RefreshFileList();

  // Moves the drive list, the tree and the file list to `folder` (a host
  // path). False, with nothing changed, when it is not a folder.
  bool SetFolder(const std::filesystem::path& folder);
  // The folder File1 lists (a host path).
  std::filesystem::path Folder() const { return folder_; }
  // Highlights `name` in File1 (as a click does, facts included).
  bool HighlightFile(const QString& name);

  // Loads the highlighted file into the main window (showInMainWindow with
  // the picture and its path); the dialog hides. A file that is not a picture
  // is reported by its error number (481; 53 when it vanished) and the
  // dialog stays, the main window unchanged. Nothing happens when no file is
  // highlighted.
  void LoadChosenImage();

  // Controls, under the form's names.
  QComboBox* Drive1 = nullptr;
  QTreeWidget* Dir1 = nullptr;
  QListWidget* File1 = nullptr;
  QGroupBox* Frame2 = nullptr;
  std::array<QLabel*, 5> Label19{};
  QPushButton* OKButton = nullptr;
  QPushButton* CancelButton = nullptr;

 private:
  void Form_Load();
  void Drive1_Change(int index);
  void Dir1_Change(QTreeWidgetItem* current);
  void File1_Click();
  void OKButton_Click();
  void CancelButton_Click();

  // The tree of a drive root, with the subfolders of an item read when it
  // is first expanded.
  void ShowDriveTree(const std::filesystem::path& root);
  void FillChildren(QTreeWidgetItem* item);
  std::filesystem::path HighlightedPath() const;
  int DriveIndexFor(const std::filesystem::path& folder) const;

  store::Store& store_;
  platform::Ui& ui_;
  std::function<void(const QImage&, const std::string&)> showInMainWindow_;
  std::filesystem::path folder_;
  int driveIndex_ = 0;
};
