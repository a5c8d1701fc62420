#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <string>

#include "platform/printer.h"
#include "platform/progress.h"
#include "platform/ui.h"
#include "sessions/exam_list_session.h"

class Dialog2;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The print range dialog "印刷範囲指定": prints the list being browsed (the
// records of the working file TEMP.DATA) as a table, either the positions
// from Text1(0) to Text1(1) or the whole list. Opened by the print command
// of either list view; created on first use, then shown and hidden.
class Dialog4 : public QDialog {
  Q_OBJECT

 public:
  // `currentPrinter` names the printer every printout goes to (the main
  // window's choice).
  Dialog4(sessions::ExamListSession& list, platform::Ui& ui, platform::Printer& printer,
          std::function<std::string()> currentPrinter, QWidget* parent = nullptr);

  // The list views' print command: both range boxes emptied and shown with
  // their labels, the dialog shown modeless, then 範囲指定 selected (the
  // focus in Text1(0)).
  void Open();

  // The progress of a printout, shown a page at a time; the dialog's own
  // progress window unless set.
  void SetProgress(platform::Progress* progress) { progress_ = progress; }

  // Controls, under the form's names.
  QRadioButton* Option1 = nullptr;  // 範囲指定
  QRadioButton* Option2 = nullptr;  // 全て
  QLabel* Label1 = nullptr;         // ファイルNO
  QLabel* Label2 = nullptr;         // ～
  std::array<QLineEdit*, 2> Text1{};
  QPushButton* OKButton = nullptr;
  QPushButton* CancelButton = nullptr;

  void Option1_Click();  // the range boxes shown, the focus in Text1(0)
  void Option2_Click();  // the range boxes hidden
  // Checks the range and prints it. A range that is not 1 <= a <= b <=
  // ListCount is refused with "入力が不正です。" and the focus in Text1(0);
  // the boxes keep their text. Printing is a long operation (nothing else
  // that touches the store starts meanwhile; nothing happens while another
  // runs) with its progress a page at a time. After printing the dialog
  // hides; a failure of the printer or of the working file is shown by its
  // error number, and the dialog stays.
  void OKButton_Click();
  void CancelButton_Click();  // hides the dialog

 protected:
  void reject() override;

 private:
  platform::Progress& Progress();

  sessions::ExamListSession& list_;
  platform::Ui& ui_;
  platform::Printer& printer_;
  std::function<std::string()> currentPrinter_;
  platform::Progress* progress_ = nullptr;
  Dialog2* dialog2_ = nullptr;  // the progress window, once created
};
