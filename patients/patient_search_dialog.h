#pragma once

#include <QDialog>
#include <array>

#include "patients/patient_window_host.h"
#include "sessions/patient_session.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace widgets {
class EnterMovesOn;
}

// The patient search "患者マスタ/検索": by chart number (the patient ID), by
// the first characters of the name, or of the reading. A chart number found
// opens its patient in the registration window; the hits of a name or a
// reading search are shown in the patient list.
class Dialog3 : public QDialog {
  Q_OBJECT

 public:
  Dialog3(sessions::PatientSession& session, PatientWindowHost& host, QWidget* parent = nullptr);

  // The opening of 検索: the three boxes emptied and hidden, the chart-number
  // option chosen, its box shown with the focus.
  void Open();

  QRadioButton* Option1 = nullptr;    // カルテNO
  QRadioButton* Option2 = nullptr;    // 氏名
  QRadioButton* Option3 = nullptr;    // ﾖﾐｶﾀ
  std::array<QLineEdit*, 3> Text1{};  // chart number, name, reading
  QPushButton* OKButton = nullptr;
  QPushButton* CancelButton = nullptr;

  // The box of option `index` (0-2) shown with the focus, the others hidden.
  void Option_Click(int index);
  // The search of the chosen option.
  void OKButton_Click();
  void CancelButton_Click();

 protected:
  void reject() override;

 private:
  void SearchChartNumber();
  // `index` 1: the name, 2: the reading.
  void SearchBeginning(int index);

  sessions::PatientSession& session_;
  PatientWindowHost& host_;
  widgets::EnterMovesOn* enter_ = nullptr;
};
