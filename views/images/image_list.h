#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

#include "forms/image_cells.h"
#include "platform/ui.h"
#include "sessions/image_list_session.h"
#include "store/store.h"

class QPushButton;
class QSlider;
namespace platform {
class ScaledForm;
class ThumbnailCache;
}  // namespace platform

// The image list "画像一覧": the pictures of the data file six a page, in two
// columns and three rows, with file number, examination date and name; the
// records without a picture file are left out. A click on a picture opens
// its record in the detail view; the list stays open.
class Form8 : public QWidget, public store::ImageListForm {
  Q_OBJECT

 public:
  // `store` only answers whether a long operation runs and gives the files
  // the pictures are read from.
  Form8(store::Store& store, sessions::ImageListSession& session, platform::Ui& ui,
        QWidget* parent = nullptr);

  // The detail view of record n.
  std::function<void(int n)> openDetail;
  // Shows the list above the main window; unset, it is shown and activated.
  std::function<void(QWidget* list)> showWindow;
  // Where the pictures' thumbnails are kept; unset, every picture is decoded
  // from its file.
  platform::ThumbnailCache* thumbnails = nullptr;

  // Opening: the cells emptied, the slider over 1 ... RecordCount at 1, the
  // window shown, the first page drawn from record 1.
  void Open();

  QPushButton* Command1 = nullptr;  // next page
  QPushButton* Command2 = nullptr;  // previous page
  QPushButton* Command3 = nullptr;  // 閉じる(&E)
  QSlider* Slider1 = nullptr;

  // Next: one past the last record shown; beyond the data "データは以上です。"
  // (no icon) and nothing else changes. Otherwise the page drawn and the
  // slider put at the new position.
  void Command1_Click();
  // Previous: 11 records back (at least record 1), the page drawn, the slider
  // put there.
  void Command2_Click();
  // The slider's record: beyond the data "データは以上です。", else the page
  // drawn from there.
  void Slider1_Click();
  // Cell k: its record to the detail view; an empty cell does nothing.
  void Image1_Click(int k);
  // 閉じる: the window hidden.
  void Command3_Click();

  // After another workstation's change: the slider's end follows the record
  // count; the page is drawn again, or the window hidden (the message is the
  // caller's to show).
  void FollowDrive(const sessions::ImageFollowOutcome& followed);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The page of an outcome drawn, its messages shown; false when it was not
  // to be drawn.
  bool DrawPage(const sessions::ImagePageOutcome& page);

  store::Store& store_;
  sessions::ImageListSession& session_;
  platform::Ui& ui_;
  platform::ScaledForm* area_ = nullptr;
};
