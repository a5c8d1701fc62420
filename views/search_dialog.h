#pragma once

#include <QDialog>
#include <array>
#include <vector>

#include "platform/progress.h"
#include "platform/ui.h"
#include "sessions/exam_list_session.h"
#include "store/search.h"

class ListViews;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace widgets {
class EnterMovesOn;
class LeaveChecks;
}  // namespace widgets

// The search dialog "検索条件": up to ten criteria (examination year, month
// and day, patient ID, beginning of the name, sex, age range, department,
// arrhythmia); OK copies every examination that meets all of them into the
// working file and shows list view 1 on the result. Created on first use,
// then shown and hidden (modeless); the boxes keep their text while hidden.
class Dialog1 : public QDialog {
  Q_OBJECT

 public:
  // `session` runs the search; `progress` shows it; `lists` are the list
  // views the result is shown in.
  Dialog1(sessions::ExamListSession& session, platform::Ui& ui, platform::Progress& progress,
          ListViews& lists, QWidget* parent = nullptr);

  // Every box emptied; Combo1 holding "M" and "F"; Combo2 and Combo3 refilled
  // with the 45 entries (blank ones included, trimmed) of the department and
  // the arrhythmia list.
  void ResetSearchDialog();

  // Controls, in tab order, under the dialog's names.
  std::array<QLineEdit*, 5> Text1{};  // year, month, day, age from, age to
  QLineEdit* Text2 = nullptr;         // ID
  QLineEdit* Text3 = nullptr;         // beginning of the name
  QComboBox* Combo1 = nullptr;        // sex
  QComboBox* Combo2 = nullptr;        // department
  QComboBox* Combo3 = nullptr;        // arrhythmia
  QPushButton* OKButton = nullptr;
  QPushButton* Command1 = nullptr;      // クリア
  QPushButton* CancelButton = nullptr;  // ｷｬﾝｾﾙ
  QLabel* Note = nullptr;               // 1項目以上入力

  // The criteria the last OK read.
  store::SearchCriteria SearchCriteria;

  // The checks run when a box is left: 0 year, 1 month, 2 day; the ID.
  // A refusal shows its message and puts the focus where it belongs.
  void Text1_LostFocus(int index);
  void Text2_LostFocus();

  // OK: the earlier list discarded; the criteria read and checked (the age
  // range, at least one criterion); the search run under a long operation
  // with its progress shown; the hits shown in list view 1 on page 1 and the
  // dialog hidden, or "保存されていません。" and no list. A failure is shown
  // by its number and leaves no list; the dialog stays.
  void OKButton_Click();
  // クリア: ResetSearchDialog, the focus in the year box.
  void Command1_Click();
  // ｷｬﾝｾﾙ: hidden, nothing else.
  void CancelButton_Click();

 protected:
  void reject() override;

 private:
  void BuildControls();
  void ReadCriteria();
  // The check of year (0), month (1) or day (2); false when it refused.
  bool CheckDateBox(int index);

  sessions::ExamListSession& session_;
  platform::Ui& ui_;
  platform::Progress& progress_;
  ListViews& lists_;
  widgets::EnterMovesOn* enter_ = nullptr;
  widgets::LeaveChecks* leaveChecks_ = nullptr;
};
