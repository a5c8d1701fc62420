#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

#include "platform/ui.h"
#include "forms/image_cells.h"
#include "store/store.h"

class QPushButton;
class QSlider;
namespace platform {
class ScaledForm;
}

// The image list "画像一覧": the pictures of the data file six a page, in two
// columns and three rows, with file number, examination date and name; the
// records without a picture file are left out. A click on a picture opens
// its record in the detail view; the list stays open.
class Form8 : public QWidget, public store::ImageListForm {
  Q_OBJECT

 public:
  Form8(store::Store& store, platform::Ui& ui, QWidget* parent = nullptr);

  // The detail view of record n.
  std::function<void(int n)> openDetail;
  // Shows the list above the main window; unset, it is shown and activated.
  std::function<void(QWidget* list)> showWindow;

  // The list's position in the data file: the record of the last cell drawn
  // (RecordCount + 1 once the records ran out). The list's own, so that no
  // other list's paging moves it.
  std::int32_t SearchStart = 1;

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
  // Cell k: the record its file number names to the detail view; a cell
  // without a number does nothing.
  void Image1_Click(int k);
  // 閉じる: the window hidden.
  void Command3_Click();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void DrawPage();

  store::Store& store_;
  platform::Ui& ui_;
  platform::ScaledForm* area_ = nullptr;
};
