#pragma once

#include <QDialog>
#include <QImage>
#include <QString>
#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

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
// chosen drive and the picture files of the chosen folder, the facts and a
// preview of the highlighted file, and the loading of the chosen file into
// the main window's picture. Created on first use, then shown and hidden
// (modeless).
//
// The drive list offers the data drive "c:" first and the whole host "/"
// last; between them the places pictures are kept on this computer (see
// PicturePlaces).
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

  // A folder the drive list offers, under the name it shows.
  struct Place {
    QString label;
    std::filesystem::path root;
  };
  // The places between "c:" and "/": `standard` (the home folder, Pictures,
  // Documents, Downloads) and, after them, every folder in one of
  // `mediaParents` (the mount points of removable media, /media/USER and
  // /run/media/USER), labelled with its name. A folder that is not there, or
  // is already offered, is left out.
  static std::vector<Place> PicturePlaces(platform::FileSystem& fs, std::vector<Place> standard,
                                          const std::vector<std::filesystem::path>& mediaParents);
  // PicturePlaces of the user running the program, as the desktop names the
  // folders.
  static std::vector<Place> UserPicturePlaces(platform::FileSystem& fs);
  // Replaces the places of the drive list (between "c:" and "/"); the
  // current folder stays.
  void SetPlaces(const std::vector<Place>& places);

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
  QLabel* Preview = nullptr;  // the highlighted picture, scaled to fit
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
  // The host folder of drive-list entry `index`.
  std::filesystem::path DriveRoot(int index) const;
  void ShowPreview(const std::filesystem::path& path);

  store::Store& store_;
  platform::Ui& ui_;
  std::function<void(const QImage&, const std::string&)> showInMainWindow_;
  std::filesystem::path folder_;
  int driveIndex_ = 0;
  // The roots of the drive list's entries after "c:" (the last is "/").
  std::vector<std::filesystem::path> roots_;
};
