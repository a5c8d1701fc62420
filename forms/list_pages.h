#pragma once

#include <QtGlobal>
#include <array>

#include "sessions/exam_list_session.h"
#include "store/list_pages.h"
#include "store/store.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QSlider;

namespace store {

// The controls of the list windows that the page-drawing routines write,
// under the windows' own control names; rows 0 to 14 of each array. The
// windows own the widgets; these are the views of them the routines get.
template <typename T>
using Rows = std::array<T*, kRowsPerPage>;

// List view 1 (一覧①).
struct ListForm1 {
  Rows<QLabel> Label11;  // position in the working file
  Rows<QLabel> Label2;   // file number: the working file's RecordNo as stored
  Rows<QLabel> Label3, Label4, Label5, Label6, Label7, Label8, Label13;  // date, ID, name, sex,
                                                                         // age, department, HR
  QLabel* Label9 = nullptr;   // "データ数：" + ListCount
  QLabel* Label10 = nullptr;  // page indicator
  QSlider* Slider1 = nullptr;
  // The data-file record number each row names (0: none), the row's key.
  std::array<int, kRowsPerPage> RowKey{};
};

// List view 2 (一覧②).
struct ListForm2 {
  Rows<QLabel> Label11, Label2, Label3, Label4, Label5;  // position, file number, date, ID, name
  Rows<QPlainTextEdit> Text1;                            // comment
  Rows<QListWidget> List1;                               // lead site/finding pairs
  Rows<QListWidget> List2;                               // arrhythmias
  QLabel* Label9 = nullptr;
  QLabel* Label10 = nullptr;
  QSlider* Slider1 = nullptr;
  std::array<int, kRowsPerPage> RowKey{};  // as list view 1's
};

// Empties the captions and keys of rows `first` ... 14 of list view 1.
void ClearListRows1(ListForm1& form, int first = 0);
// Empties rows `first` ... 14 of list view 2 (captions, comment, both lists,
// keys) and hides their controls.
void ClearListRows2(ListForm2& form, int first = 0);

// Draws a page into both list views (either may be absent): row r gets the
// page's row r (list view 1: position, RecordNo as stored, then the trimmed
// date, ID, name, sex, age, department and heart rate; list view 2:
// position, RecordNo, date, ID, name, the trimmed comment, five items
// LeadSite + "/" + Finding and five arrhythmias, untrimmed, and its row
// made visible) and its key. Then "データ数：" + the list's count, the
// sliders' range 1 ... PageSliderMaximum(page count) with the value of the
// page number, and the page indicator. The page's rows are written whole
// over what they held (a caption that stays the same is not touched, so it
// is not laid out and painted again); callers empty the rows after them
// (ClearListRows1/2 from the page's row count).
void ShowListPage(const sessions::ListPageOutcome& page, ListForm1* form1, ListForm2* form2);

}  // namespace store
