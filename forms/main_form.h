#pragma once

#include <QDate>
#include <QSize>
#include <array>
#include <functional>
#include <string>

#include "store/shown_record.h"

class QCalendarWidget;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSlider;

namespace store {

// The controls of the main window that the record-store routines write, under
// the window's own control names. The main window owns the widgets; this is
// the view of them the routines get. Every pointer is set by the window except
// SearchCombo3, which stays null until the search dialog exists.
struct MainForm {
  std::array<QLineEdit*, 5> Text1{};   // date, ID, name, age, heart rate
  QLineEdit* Text2 = nullptr;          // image name
  QPlainTextEdit* Text3 = nullptr;     // comment
  QComboBox* Combo1 = nullptr;         // sex: exactly "M" and "F"
  QComboBox* Combo2 = nullptr;         // department
  std::array<QComboBox*, 5> Combo3{};  // lead sites
  std::array<QComboBox*, 5> Combo4{};  // abnormal findings
  std::array<QComboBox*, 5> Combo5{};  // arrhythmias
  QLabel* Image1 = nullptr;            // the ECG picture, stretched
  QLabel* Label14 = nullptr;           // number of the record on screen
  std::array<QLabel*, 5> Label19{};    // image-file facts
  QSlider* Slider1 = nullptr;          // record slider
  QCalendarWidget* MonthView1 = nullptr;
  // The arrhythmia list of the search dialog, filled with the main window's.
  QComboBox* SearchCombo3 = nullptr;

  // The record ShowCurrentRecord put on screen, for StoreFormInRecord to keep
  // the bytes of the fields the user did not change; forgotten when the form
  // is emptied.
  ShownRecord Shown;

  // Image1's picture when ShowRecordPicture decoded it smaller than its file
  // (the size it is shown at): the file, the box it was decoded for and the
  // cache key of the pixmap it set. A picture put into Image1 otherwise has
  // another key, so these no longer apply to it.
  std::string ScaledPictureFile;
  QSize ScaledPictureBox;
  qint64 ScaledPictureKey = 0;

  // Today's date as the form writes it; replaceable for tests.
  std::function<QDate()> Today = [] { return QDate::currentDate(); };
};

}  // namespace store
