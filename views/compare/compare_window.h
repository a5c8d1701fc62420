#pragma once

#include <QIcon>
#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "platform/printer.h"
#include "platform/ui.h"
#include "sessions/compare_session.h"
#include "store/store.h"
#include "views/compare/compare_picture.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

// The window "過去の検査と比較": an examination beside another of the same
// patient, each pane with its fields, its picture, ◀ ▶ and a strip of small
// pictures of all the patient's examinations by date. Fields that differ
// between the panes are marked. Both pictures stand at the same scale and
// paper position; zoom and pan move both while 連動 is on, and the crosshair
// follows the pointer on both. 印刷 prints both on one A4 landscape page.
class CompareWindow : public QWidget {
  Q_OBJECT

 public:
  // Without a printer, 印刷 stays disabled. `printerName` answers the main
  // window's current printer.
  CompareWindow(store::Store& store, sessions::CompareSession& session, platform::Ui& ui,
                platform::Printer* printer, std::function<std::string()> printerName,
                QWidget* parent = nullptr);

  // The examination n beside the patient's examination before it; false,
  // with the reason shown, when nothing can be shown.
  bool Open(int record);
  // The same examinations again after another workstation changed the
  // drive; the window closes, saying so, when the one it was opened on is
  // gone.
  void FollowDrive();

  // One pane's controls.
  struct Pane {
    QLabel* heading = nullptr;
    std::array<QLabel*, 7> captions{};
    std::array<QLabel*, 7> values{};  // by sessions::CompareField
    ComparePicture* picture = nullptr;
    QPushButton* back = nullptr;     // ◀
    QPushButton* forward = nullptr;  // ▶
    QListWidget* strip = nullptr;
  };
  std::array<Pane, 2> panes;
  QLabel* notice = nullptr;  // "この患者の過去の検査はありません。" and the like
  QCheckBox* linked = nullptr;  // 連動
  QPushButton* zoomIn = nullptr;
  QPushButton* zoomOut = nullptr;
  QPushButton* whole = nullptr;
  QPushButton* print = nullptr;  // 印刷(&P)
  QPushButton* close = nullptr;  // 閉じる(&E)

  // 印刷: as the zoom window asks (paper, then "印刷します"), then one A4
  // landscape page with both examinations' fields above and their pictures
  // below at one scale.
  void Print_Click();

  // Up to `count` of the strip's small pictures not yet there, in strip
  // order; true while some are still missing. The window loads them a few
  // at a time once it is open, so that it answers meanwhile.
  bool LoadStripPictures(int count);
  // The small picture of the examination at `position` of the strip, decoded
  // at the strip's size; null when it has none.
  QIcon StripPicture(int position);

 private:
  Pane BuildPane(int pane);
  void Show(const sessions::CompareView& view);
  void ShowPane(int pane, const sessions::ComparePane& shown, const sessions::CompareView& view);
  // The pane's picture decoded at the size it is shown at; again only when
  // it is shown larger than it was decoded for.
  void LoadPicture(int pane, const std::string& file, const std::string& missing);
  // An enlarged or grown picture decoded again at the size it is shown at.
  void Sharpen(int pane);
  // Shows a view with a strip of its own (the strip's pictures filled in
  // afterwards).
  void Present(const sessions::CompareView& view);
  void Step(int pane, int delta);
  void ViewChanged(int pane, const PictureView& view);
  void ZoomBoth(double factor);
  void PaintPage(platform::Printer& printer);

  store::Store& store_;
  sessions::CompareSession& session_;
  platform::Ui& ui_;
  platform::Printer* printer_;
  std::function<std::string()> printerName_;
  std::vector<QIcon> thumbnails_;
  std::size_t thumbnailsTried_ = 0;  // the strip's pictures looked for so far
  int opening_ = 0;                  // counts the openings, so that a stale load stops
  std::array<std::string, 2> pictureFiles_;
  std::array<QSize, 2> decodedFor_;  // the box each pane's picture was decoded for
};
