#pragma once

#include <QSize>
#include <array>
#include <string>

#include "platform/file_system.h"
#include "platform/ui.h"
#include "store/records.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace store {

// The controls of the detail view Form9 that the record-store routines
// write, under the window's control names, and what the view keeps of the
// record it shows.
struct DetailForm {
  std::array<QLineEdit*, 5> Text1{};   // date, ID, name, age, heart rate
  QLineEdit* Text2 = nullptr;          // image name
  QPlainTextEdit* Text3 = nullptr;     // comment
  QComboBox* Combo1 = nullptr;         // sex
  QComboBox* Combo2 = nullptr;         // department
  std::array<QComboBox*, 5> Combo3{};  // lead sites
  std::array<QComboBox*, 5> Combo6{};  // abnormal findings
  std::array<QComboBox*, 5> Combo7{};  // arrhythmias
  QLabel* Image1 = nullptr;            // the ECG picture, stretched
  QLabel* Label14 = nullptr;           // the record's number
  std::array<QLabel*, 5> Label19{};    // image-file facts

  // The image file name of the record shown: trimmed ImageName + ".jpg".
  std::string DetailImageName;
  // The file the picture was loaded from ("C:\VLN2\GAZOU\" + its stored
  // name); empty while the picture is empty.
  std::string PictureFile;
  // The record the view was filled with, the view's own copy.
  ExamRecord Shown;
  // The size in device pixels the picture is decoded at; empty: full size.
  QSize PictureBox;
};

// ClearDetailView: every field emptied and disabled (the texts, the lists of
// the combos too), the facts and Label14 emptied, no picture; DetailImageName
// and PictureFile forgotten.
void ClearDetailView(DetailForm& form);

// ShowDetailRecord (after ClearDetailView): `record` into the view,
// each field trimmed, Label14 = trimmed RecordNo; the record kept in
// form.Shown. Then its picture "C:\VLN2\GAZOU\" + DetailImageName, found
// ignoring case: missing, "画像：<DetailImageName>はありません。" in the
// picture box (no box to answer); otherwise the picture decoded at PictureBox, Text2 =
// ImageName and the facts (ShowDetailFileFacts). A file that cannot be read
// or is no picture shows its error number (481 for no picture) and leaves
// the picture empty. The main window's source of the next registration is
// not touched.
void ShowDetailRecord(platform::FileSystem& fs, platform::Ui& ui, DetailForm& form,
                      const ExamRecord& record);

// ShowDetailFileFacts: nothing when the shown record's PatientId is blank;
// otherwise the facts of its picture file into Label19(0)-(3): modification
// date and time, attribute text, DetailImageName, DetailSizeText. A fact
// that cannot be read leaves its label empty.
void ShowDetailFileFacts(platform::FileSystem& fs, DetailForm& form);

}  // namespace store
