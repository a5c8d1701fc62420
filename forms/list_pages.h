#pragma once

#include <QtGlobal>
#include <array>

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
  Rows<QLabel> Label2;   // file number: the data-file number (the row key)
  Rows<QLabel> Label3, Label4, Label5, Label6, Label7, Label8, Label13;  // date, ID, name, sex,
                                                                         // age, department, HR
  QLabel* Label9 = nullptr;   // "データ数：" + ListCount
  QLabel* Label10 = nullptr;  // page indicator
  QSlider* Slider1 = nullptr;
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
};

// Empties the captions of every row of list view 1.
void ClearListRows1(ListForm1& form);
// Empties every row of list view 2 (captions, comment, both lists) and hides
// its controls.
void ClearListRows2(ListForm2& form);

// Draws the page starting at PageFirst into both list views (either may be
// absent): row r gets working-file record PageFirst + r, read through
// WorkRecord (list view 1: position, RecordNo as stored, then the trimmed
// date, ID, name, sex, age, department and heart rate; list view 2:
// position, RecordNo, date, ID, name, the trimmed comment, five items
// LeadSite + "/" + Finding and five arrhythmias, untrimmed, and its row
// made visible). Then "データ数：" + ListCount, PageCount (ReadListPage), the
// sliders' range 1 ... PageSliderMaximum(PageCount) with the value
// PageNumber, and the page indicator. Callers empty the rows first. A read
// failure leaves the rows read so far and the rest of the page state
// written, and is returned.
[[nodiscard]] Status ShowListPage(Store& store, ListForm1* form1, ListForm2* form2);

}  // namespace store
