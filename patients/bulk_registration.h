#pragma once

#include <QMainWindow>
#include <array>

#include "patients/patient_window_host.h"
#include "sessions/patient_session.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace widgets {
class EnterMovesOn;
class LeaveChecks;
}  // namespace widgets

// The bulk registration "患者マスタ/一括登録": up to ten new patients entered
// on one screen, appended to the end of the master, and the master then
// re-sorted by ID through the sort component when the user agrees. Closed
// only by 閉じる, which destroys the window; its own close box is refused.
class Form12 : public QMainWindow {
  Q_OBJECT

 public:
  static constexpr int kRows = 10;

  Form12(sessions::PatientSession& session, PatientWindowHost& host, QWidget* parent = nullptr);

  // Shown maximised with the rows reset.
  void Form_Load();

  std::array<QLabel*, kRows> Label2{};     // the master record number the row will take
  std::array<QLineEdit*, kRows> Text1{};   // ID
  std::array<QLineEdit*, kRows> Text2{};   // name
  std::array<QLineEdit*, kRows> Text3{};   // reading
  std::array<QComboBox*, kRows> Combo1{};  // sex
  std::array<QLineEdit*, kRows> Text4{};   // date of birth
  std::array<QComboBox*, kRows> Combo2{};  // department
  QPushButton* Command1 = nullptr;         // 登録(&S)
  QPushButton* Command2 = nullptr;         // クリア(&C)
  QPushButton* Command3 = nullptr;         // 閉じる(&E)

  // Every row emptied, the lists refilled, the row numbers PatientCount + 1
  // + r, the focus in the first ID box.
  void ResetRows();
  // The row numbers from the master's count now.
  void NumberRows();
  // 登録: the rows from the first up to the first without an ID, each ID
  // checked again, appended to the master in one write; then the offer to
  // sort the master by ID, "登録終了。" and the rows reset. The appends and
  // the sort run as one long operation.
  void Command1_Click();
  void Command2_Click() { ResetRows(); }
  // 閉じる: the window destroyed.
  void Command3_Click();
  // A double click on a row number: the master sort on its own.
  void Label2_DblClick(int r);

  // The leave checks of row r's boxes; false when the text was refused.
  bool Text1_LostFocus(int r);
  bool Text2_LostFocus(int r);
  bool Text3_LostFocus(int r);
  bool Text4_LostFocus(int r);

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  // The ID check of row r; `leaving`: the box is being left (a refusal takes
  // the focus back through the leave checks).
  bool CheckId(int r, bool leaving);
  bool CheckLength(QLineEdit* box);

  sessions::PatientSession& session_;
  PatientWindowHost& host_;
  widgets::EnterMovesOn* enter_ = nullptr;
  widgets::LeaveChecks* leaveChecks_ = nullptr;
  bool closing_ = false;
};
