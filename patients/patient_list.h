#pragma once

#include <QMainWindow>
#include <array>

#include "forms/patient_form.h"
#include "patients/patient_window_host.h"
#include "sessions/patient_session.h"

class QPushButton;

// The patient list "患者マスタ/一覧": the patient scratch file "KARIKAN.DATA"
// (a copy of the whole master, or the hits of a search) fifteen rows a page.
// A click on a row opens that patient in the registration window.
class Form11 : public QMainWindow, public store::PatientListForm {
  Q_OBJECT

 public:
  Form11(sessions::PatientSession& session, PatientWindowHost& host, QWidget* parent = nullptr);

  // Shown maximised.
  void Form_Load();

  std::array<QLabel*, 6> Label1{};  // ファイルNO カルテNO 氏名 性別 生年月日 所属
  QPushButton* Command3 = nullptr;  // 閉じる(&E)
  QPushButton* Command4 = nullptr;  // (&N) next page
  QPushButton* Command5 = nullptr;  // (&B) previous page

  // Next and previous page; "データは以上です。" (critical) past either end,
  // the page staying.
  void Command4_Click();
  void Command5_Click();
  // The page of the slider's value, when the list holds more than one page.
  void Slider1_Click();
  // A row with a file number: its master record opened in the registration
  // window. A row without one does nothing.
  void Row_Click(int r);
  // 閉じる: the scratch file emptied, the window hidden.
  void Command3_Click();

  // Empties the rows and draws the session's page: the rows, "データ数：" and
  // the count, the page indicator and the slider (1 ... the page count, at
  // the page).
  void Redraw();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  sessions::PatientSession& session_;
  PatientWindowHost& host_;
};
