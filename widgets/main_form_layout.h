#pragma once

#include "forms/main_form.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

namespace widgets {

// The controls of the main window besides those of MainForm, under the
// window's control names.
struct MainFormControls {
  QGroupBox* Frame1 = nullptr;      // the record fields
  QGroupBox* Frame2 = nullptr;      // 画像情報
  QPushButton* Command1 = nullptr;  // next record
  QPushButton* Command2 = nullptr;  // previous record
  QPushButton* Command3 = nullptr;  // (+)
  QPushButton* Command4 = nullptr;  // (-)
  QComboBox* Combo6 = nullptr;      // printer in use
  QLabel* Label12 = nullptr;        // ファイルＮＯ
};

// Builds every control of the main window's client area at the form's
// places: the record fields frame, the date buttons, the picture, the record
// buttons and slider, the record number, the picture facts, the printer
// list, the image name and the calendar (hidden). Nothing is connected.
void BuildMainFormControls(QWidget* client, store::MainForm& form, MainFormControls& c);

}  // namespace widgets
