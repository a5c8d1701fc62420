#include "patients/patient_windows.h"

#include <QLineEdit>
#include <QWidget>
#include <algorithm>

#include "patients/patient_search_dialog.h"
#include "patients/patient_form.h"
#include "patients/patient_list.h"
#include "patients/bulk_registration.h"
#include "store/list_pages.h"
#include "store/long_operation.h"
#include "store/patients.h"

PatientWindows::PatientWindows(store::Store& store, platform::Ui& ui, platform::Progress& progress,
                               QWidget* owner)
    : QObject(owner), store_(store), ui_(ui), progress_(progress), owner_(owner) {
  setObjectName(QStringLiteral("PatientWindows"));
}

Form10* PatientWindows::RegistrationIfAny() const { return form10_; }
Form11* PatientWindows::ListIfAny() const { return form11_; }
Dialog3* PatientWindows::SearchIfAny() const { return dialog3_; }
Form12* PatientWindows::BulkIfAny() const { return form12_; }

Form10& PatientWindows::Registration() {
  if (!form10_) form10_ = new Form10(*this, owner_);
  return *form10_;
}

Form11& PatientWindows::List() {
  if (!form11_) form11_ = new Form11(*this, owner_);
  return *form11_;
}

Dialog3& PatientWindows::Search() {
  if (!dialog3_) dialog3_ = new Dialog3(*this, owner_);
  return *dialog3_;
}

Form12& PatientWindows::Bulk() {
  if (!form12_) form12_ = new Form12(*this, owner_);
  return *form12_;
}

void PatientWindows::Show(QWidget* window) {
  if (showWindow) {
    showWindow(window);
    return;
  }
  window->show();
  window->raise();
  window->activateWindow();
}

void PatientWindows::M_touroku_Click() { Registration().OpenForNewPatient(); }

void PatientWindows::M_ikkatu_Click() {
  Form12& bulk = Bulk();
  Show(&bulk);
  bulk.Text1[0]->setFocus(Qt::OtherFocusReason);
}

void PatientWindows::M_itiran_Click() {
  ui_.Lower();
  if (store_.PatientCount == 0) {
    ui_.MsgBox("患者マスタは登録されていません。", platform::kCritical);
    return;
  }
  (void)OpenWholeList();
}

void PatientWindows::M_kensaku_Click() {
  ui_.Lower();
  if (store_.PatientCount == 0) {
    ui_.MsgBox("患者マスタは登録されていません。", platform::kExclamation);
    return;
  }
  if (platform::Status s = store::DiscardScratchFile(store_); !s.ok()) {
    ui_.ShowErrorNumber(s.error);
    return;
  }
  HideList();
  Search().Open();
}

void PatientWindows::M_sakujyo_Click() {
  if (store_.PatientCount == 0) {
    ui_.MsgBox("患者マスタは登録されていません。", platform::kCritical);
    return;
  }
  if (ui_.MsgBox("患者マスタを全て削除しますか？", platform::kYesNo) == platform::kAnswerNo) return;
  {
    store::LongOperation operation(store_);
    if (!operation) return;
    const store::RebuildResult deleted = store::DeleteWholeMaster(store_);
    if (!deleted.Changed()) {
      ui_.ShowErrorNumber(deleted.status.error);
      return;
    }
    if (!deleted.ok()) ui_.ShowErrorNumber(deleted.status.error);
    store_.CountRecords();
    MasterChanged(true);
  }
  ui_.MsgBox("削除終了。");
}

bool PatientWindows::CopyWholeList() {
  ui_.SetBusyCursor(true);
  const platform::Status copied = store::OpenListOfAllPatients(store_, &progress_);
  ui_.SetBusyCursor(false);
  if (!copied.ok()) {
    ui_.ShowErrorNumber(copied.error);
    return false;
  }
  return true;
}

bool PatientWindows::OpenWholeList() {
  {
    store::LongOperation operation(store_);
    if (!operation) return false;
    if (!CopyWholeList()) return false;
  }
  ShowList();
  return true;
}

void PatientWindows::ShowList() {
  Form11& list = List();
  list.Redraw();
  Show(&list);
}

void PatientWindows::HideList() {
  if (!form11_) return;
  store::ClearPatientRows(*form11_);
  form11_->hide();
}

void PatientWindows::ShowInRegistration(std::int32_t n, const QString& label9) {
  Registration().ShowStoredPatient(n, label9);
}

void PatientWindows::MasterChanged(bool reordered) {
  if (form11_ && form11_->isVisible()) {
    if (store_.PatientListMode == 1 && store_.PatientCount > 0) {
      // The whole master again, at the page it showed (or the last there is).
      const std::int32_t page = store_.PatientPageNumber;
      if (store::OpenListOfAllPatients(store_, &progress_).ok()) {
        store_.PatientPageCount = std::max(store::PagesFor(store_.PatientListCount), 1);
        store::GoToPatientPage(store_, page);
        form11_->Redraw();
      } else {
        HideList();
      }
    } else if (reordered || store_.PatientCount == 0) {
      // The hits named records that have moved, and their file is gone.
      HideList();
    }
  }
  if (form10_) form10_->FollowMaster();
  if (form12_) form12_->NumberRows();
}
