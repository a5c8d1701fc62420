#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "platform/progress.h"
#include "platform/ui.h"
#include "store/sort_file.h"
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
// destroyed when it is closed, the others are hidden.
//
// Every change to the master runs here or in a window of this object, and is
// followed by MasterChanged, so that no window acts on record numbers the
// change has moved.
class PatientWindows : public QObject {
  Q_OBJECT

 public:
  // `progress` shows the long operations (the main window's Dialog2).
  PatientWindows(store::Store& store, platform::Ui& ui, platform::Progress& progress,
                 QWidget* owner);

  store::Store& Store() { return store_; }
  platform::Ui& Ui() { return ui_; }
  platform::Progress& Progress() { return progress_; }

  // Shows a window above the main window (the main window lowered first).
  // Unset, the window is shown and activated.
  std::function<void(QWidget* window)> showWindow;
  // The sort component's job for the master sort of the bulk registration.
  store::SortJobFactory sortJobs = store::SortJobFactory(store::CreateComponentSortJob);

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
  // 新規登録: the registration window emptied for a new patient.
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
  void Show(QWidget* window);
  // The scratch file made a copy of the whole master and shown in the list
  // from its first page. False, with the failure shown, when the copy failed.
  bool OpenWholeList();
  // The copy alone, for a caller that holds the long-operation guard.
  bool CopyWholeList();
  // The list drawn afresh from the scratch file (the page state set).
  void ShowList();
  // The list window hidden, its rows emptied (its scratch file has been
  // replaced).
  void HideList();
  // The patient in PatientBuffer, master record `n`, into the registration
  // window (Label9 = `label9`), which is shown.
  void ShowInRegistration(std::int32_t n, const QString& label9);
  // After a change of the master: `reordered` when records were inserted,
  // removed or moved (the scratch file is then gone: an open list of the
  // whole master is made again at its page, a search result is closed), else
  // a record was written in place or appended (an open list of the whole
  // master shows it again). The registration window follows its patient to
  // the patient's new position, and the bulk window its row numbers.
  void MasterChanged(bool reordered);

 private:
  store::Store& store_;
  platform::Ui& ui_;
  platform::Progress& progress_;
  QWidget* owner_;
  QPointer<Form10> form10_;
  QPointer<Form11> form11_;
  QPointer<Dialog3> dialog3_;
  QPointer<Form12> form12_;
};
