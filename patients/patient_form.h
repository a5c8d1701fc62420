#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>
#include <string>

#include "forms/patient_form.h"
#include "patients/patient_window_host.h"
#include "sessions/patient_session.h"

class QAction;
class QMenu;
class QPushButton;

namespace widgets {
class EnterMovesOn;
class LeaveChecks;
}  // namespace widgets

// The patient registration window "患者マスタ/新規登録": enters, corrects,
// browses and deletes the patients of the master. Label9 shows the master
// record number of the patient shown, or PatientCount + 1 for a new one (the
// session keeps the number).
class Form10 : public QMainWindow, public store::PatientForm {
  Q_OBJECT

 public:
  Form10(sessions::PatientSession& session, PatientWindowHost& host, QWidget* parent = nullptr);

  // Shown maximised.
  void Form_Load();

  // 新規登録 of the main window: the form emptied, Label9 = PatientCount + 1,
  // 削除 disabled, shown with the focus in the ID box.
  void OpenForNewPatient();
  // True when the window is hidden or holds nothing unregistered, or the user
  // chose to discard what it holds.
  bool MayDiscardTyped();
  // A patient the session found, shown with its file number; 削除 enabled.
  void ShowStoredPatient(const sessions::PatientShown& patient);
  // The master changed under the window: a patient shown from the master is
  // found again by its ID (Label9 its new number), or, when it is gone, the
  // form counts as a new patient.
  void FollowMaster();

  // 変更履歴: told the ID in the ID box, to show that patient's history (the
  // button is disabled while the box is empty).
  std::function<void(const std::string& patientId)> showHistory;

  QLabel* Label1 = nullptr;         // 患者登録
  QPushButton* Command1 = nullptr;  // 登録(&S)
  QPushButton* Command2 = nullptr;  // 閉じる(&E)
  QPushButton* Command3 = nullptr;  // 削除(&X)
  QPushButton* Command4 = nullptr;  // クリア(&C)
  QPushButton* Command5 = nullptr;  // next record
  QPushButton* Command6 = nullptr;  // previous record
  QPushButton* Command7 = nullptr;  // (&B)
  QPushButton* Command8 = nullptr;  // (&N)
  QPushButton* Command9 = nullptr;  // 変更履歴(&H)
  QMenu* M_DATA = nullptr;          // データ(&D)
  QAction* M_TOUROKU = nullptr;     // 登録
  QAction* M_CLEAR = nullptr;       // クリア
  QAction* M_SAKUJYO = nullptr;     // 削除

  // 登録: the ID (one to six digits) and the name are required; an ID the
  // master holds overwrites its record in place, a new one is inserted in ID
  // order. Afterwards the form is empty for the next patient. A failure is
  // shown by its number and leaves the master as it was and the form as
  // typed.
  void Command1_Click();
  // 削除: after the question, the master record shown removed and the whole
  // master shown in the list; this window hidden.
  void Command3_Click();
  // クリア: ClearPatientForm, the focus in the ID box.
  void Command4_Click();
  void Command2_Click();
  void Command5_Click();  // the next record
  void Command6_Click();  // the previous record
  void Command7_Click();  // focus to Command6, then the previous record
  void Command8_Click();  // focus to Command5, then the next record
  void Slider1_Click();

  // Leave checks. The ID: padded to six digits and looked up; a patient
  // found is shown, otherwise the focus goes to the name. The date of
  // birth: normalised to "yyyy/mm/dd", or refused ("入力が不正です。").
  bool Text1_LostFocus();
  bool Text4_LostFocus();

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  // A browsing step of the session: the form emptied and the record shown,
  // or the failure.
  void ShowStep(const sessions::PatientShown& step);
  // The patient into the form (Label9 its file number), 削除 on.
  void ShowFound(const sessions::PatientShown& patient);
  // The form counts as a new patient: Label9 = PatientCount + 1, 削除 off.
  void NumberAsNew();
  void ClearForm();
  // True when leaving the form for master record `n` (0: closing it) loses
  // nothing typed, or the user chose to discard it.
  bool MayLeaveFor(std::int32_t n);

  sessions::PatientSession& session_;
  PatientWindowHost& host_;
  widgets::EnterMovesOn* enter_ = nullptr;
  widgets::LeaveChecks* leaveChecks_ = nullptr;
};
