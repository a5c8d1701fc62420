#pragma once

#include <array>

#include "forms/main_form.h"

class QComboBox;
class QGroupBox;
class QRect;
class QString;
class QLabel;
class QWidget;

namespace widgets {

// Pieces of the examination form's layout that the main window and the
// detail view share, at the form's own places.

// The height the font gives a drop-down combo, in twips.
inline constexpr int kComboHeight = 330;

// A caption label named `name` at `where`.
QLabel* Caption(QWidget* parent, const char* text, QRect where, const char* name);
// A field typed in half-width letters and digits only: no input method.
void DisableInputMethod(QWidget* w);

// An editable drop-down combo whose typed text never becomes a list item.
QComboBox* EditableCombo(QWidget* parent, QRect where, const QString& name);

// The frame of the record fields (Frame1) with its captions: the date, ID,
// name, age and heart-rate fields (Text1), sex (Combo1), department
// (Combo2), the comment (Text3) and the lead sites, findings and arrhythmias
// (Combo3-Combo5), written into `form`. The date, ID, age, heart rate and sex
// take no input method.
QGroupBox* RecordFieldsFrame(QWidget* client, store::MainForm& form);

// The controls of the same frame in a window whose lists of findings and
// arrhythmias carry other names (the detail view: Combo6, Combo7).
struct RecordFieldControls {
  std::array<QLineEdit*, 5>& Text1;
  QPlainTextEdit*& Text3;
  QComboBox*& Combo1;
  QComboBox*& Combo2;
  std::array<QComboBox*, 5>& leadSites;
  std::array<QComboBox*, 5>& findings;
  std::array<QComboBox*, 5>& arrhythmias;
  const char* findingsName;
  const char* arrhythmiasName;
};
QGroupBox* RecordFieldsFrame(QWidget* client, const RecordFieldControls& c);

// The caption "ファイルＮＯ" (Label12) and the record's number in red (Label14).
struct RecordNumber {
  QLabel* caption = nullptr;
  QLabel* number = nullptr;
};
RecordNumber RecordNumberLabels(QWidget* client);

// The frame 画像情報 (Frame2) with the captions of the five facts of a
// picture file and their sunken boxes (Label19(0)-(4)).
QGroupBox* ImageFactsFrame(QWidget* client, std::array<QLabel*, 5>& facts);

}  // namespace widgets
