#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>

#include "patients/patient_window_host.h"
#include "platform/progress.h"
#include "platform/ui.h"
#include "sessions/patient_session.h"
#include "store/store.h"

class Dialog3;
class Form10;
class Form11;
class Form12;
class QWidget;

// The four windows of the patient master and the commands of the main
// window's 患者マスタ(&M) menu: registration (Form10, 患者マスタ/新規登録),
// list (Form11, 患者マスタ/一覧), search (Dialog3, 患者マスタ/検索) and bulk
// registration (Form12, 患者マスタ/一括登録). Each window is created on first
// use, a window of its own (child of `owner`); the bulk registration is
// destroyed when it is closed, the others are hidden. The windows share one
// PatientSession, owned here.
//
// Every change to the master runs in the session, which tells MasterChanged,
// so that no window acts on record numbers the change has moved.
class PatientWindows : public QObject, public PatientWindowHost {
  Q_OBJECT

 public:
  // `progress` shows the long operations (the main window's Dialog2).
  PatientWindows(store::Store& store, platform::Ui& ui, platform::Progress& progress,
                 QWidget* owner);

  store::Store& Store() override { return store_; }
  platform::Ui& Ui() override { return ui_; }
  sessions::PatientSession& Session() { return session_; }

  // Shows a window above the main window (the main window lowered first).
  // Unset, the window is shown and activated.
  std::function<void(QWidget* window)> showWindow;
  // Shows the history of the patient with that ID (the registration
  // window's 変更履歴).
  std::function<void(const std::string& patientId)> showPatientHistory;

  Form10& Registration();
  Form11& List();
  Dialog3& Search();
  Form12& Bulk();
  // The windows that exist now (null until first used; the bulk window
  // again after it was closed).
  Form10* RegistrationIfAny() const;
  Form11* ListIfAny() const;
  Dialog3* SearchIfAny() const;
  Form12* BulkIfAny() const;

  // --- The main window's 患者マスタ(&M) menu ----------------------------------
  // 新規登録: the registration window emptied for a new patient. It, 一括登録
  // and 全削除 are refused up front, with the reason, when the master cannot
  // be written.
  void M_touroku_Click();
  // 一括登録: the bulk registration window.
  void M_ikkatu_Click();
  // 一覧: the whole master as a list ("患者マスタは登録されていません。" when
  // it is empty).
  void M_itiran_Click();
  // 検索: the search dialog, its chart-number box ready (a warning when the
  // master is empty).
  void M_kensaku_Click();
  // 全削除: after the question, the master replaced by an empty one.
  void M_sakujyo_Click();

  // --- Shared steps -------------------------------------------------------------
  void Show(QWidget* window) override;
  void ShowList() override;
  void HideList() override;
  void ShowInRegistration(const sessions::PatientShown& patient) override;
  bool MayLeaveRegistration() override;
  // After a change of the master: `reordered` when records were inserted,
  // removed or moved (the list's file is then gone: an open list of the
  // whole master is made again at its page, a search result is closed), else
  // a record was written in place or appended (an open list of the whole
  // master shows it again). The registration window follows its patient to
  // the patient's new position, and the bulk window its row numbers.
  void MasterChanged(bool reordered);

 private:
  // The master cannot be written: the reason shown, true.
  bool RefusedForWriting();

  store::Store& store_;
  platform::Ui& ui_;
  sessions::PatientSession session_;
  QWidget* owner_;
  QPointer<Form10> form10_;
  QPointer<Form11> form11_;
  QPointer<Dialog3> dialog3_;
  QPointer<Form12> form12_;
};
