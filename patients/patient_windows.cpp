#include "patients/patient_windows.h"

#include <QLineEdit>
#include <QWidget>

#include "patients/bulk_registration.h"
#include "patients/patient_form.h"
#include "patients/patient_list.h"
#include "patients/patient_search_dialog.h"
#include "widgets/form_setup.h"

PatientWindows::PatientWindows(store::Store& store, platform::Ui& ui, platform::Progress& progress,
                               QWidget* owner)
    : QObject(owner), store_(store), ui_(ui), session_(store, ui, progress), owner_(owner) {
  setObjectName(QStringLiteral("PatientWindows"));
  session_.OnMasterChanged = [this](bool reordered) { MasterChanged(reordered); };
}

Form10* PatientWindows::RegistrationIfAny() const { return form10_; }
Form11* PatientWindows::ListIfAny() const { return form11_; }
Dialog3* PatientWindows::SearchIfAny() const { return dialog3_; }
Form12* PatientWindows::BulkIfAny() const { return form12_; }

Form10& PatientWindows::Registration() {
  if (!form10_) {
    form10_ = new Form10(session_, *this, owner_);
    form10_->showHistory = [this](const std::string& patientId) {
      if (showPatientHistory) showPatientHistory(patientId);
    };
  }
  return *form10_;
}

Form11& PatientWindows::List() {
  if (!form11_) form11_ = new Form11(session_, *this, owner_);
  return *form11_;
}

Dialog3& PatientWindows::Search() {
  if (!dialog3_) dialog3_ = new Dialog3(session_, *this, owner_);
  return *dialog3_;
}

Form12& PatientWindows::Bulk() {
  if (!form12_) form12_ = new Form12(session_, *this, owner_);
  return *form12_;
}

void PatientWindows::Show(QWidget* window) {
  if (showWindow) {
    showWindow(window);
    return;
  }
  widgets::ShowInFront(window);
}

bool PatientWindows::RefusedForWriting() {
  const std::string refusal = session_.MasterRefusal(true);
  if (refusal.empty()) return false;
  ui_.MsgBox(refusal, platform::kExclamation);
  return true;
}

void PatientWindows::M_touroku_Click() {
  if (RefusedForWriting()) return;
  Registration().OpenForNewPatient();
}

void PatientWindows::M_ikkatu_Click() {
  if (RefusedForWriting()) return;
  Form12& bulk = Bulk();
  Show(&bulk);
  bulk.Text1[0]->setFocus(Qt::OtherFocusReason);
}

void PatientWindows::M_itiran_Click() {
  ui_.Lower();
  const sessions::CommandOutcome opened = session_.OpenWholeList();
  sessions::Show(ui_, opened);
  if (opened.ok()) ShowList();
}

void PatientWindows::M_kensaku_Click() {
  ui_.Lower();
  if (const std::string refusal = session_.MasterRefusal(false); !refusal.empty()) {
    ui_.MsgBox(refusal, platform::kExclamation);
    return;
  }
  if (session_.PatientCount() == 0) {
    ui_.MsgBox("患者マスタは登録されていません。", platform::kExclamation);
    return;
  }
  if (const sessions::Outcome discarded = session_.DiscardList(); !discarded.Silent()) {
    sessions::Show(ui_, discarded);
    return;
  }
  HideList();
  Search().Open();
}

void PatientWindows::M_sakujyo_Click() {
  if (session_.PatientCount() == 0) {
    ui_.MsgBox("患者マスタは登録されていません。", platform::kCritical);
    return;
  }
  if (RefusedForWriting()) return;
  if (ui_.MsgBox("患者マスタを全て削除しますか？", platform::kYesNo | platform::kDefaultButton2) ==
      platform::kAnswerNo) {
    return;
  }
  sessions::Show(ui_, session_.DeleteAll());
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

void PatientWindows::ShowInRegistration(const sessions::PatientShown& patient) {
  Registration().ShowStoredPatient(patient);
}

bool PatientWindows::MayLeaveRegistration() { return !form10_ || form10_->MayDiscardTyped(); }

void PatientWindows::MasterChanged(bool reordered) {
  if (form11_ && form11_->isVisible()) {
    switch (session_.RefreshList(reordered)) {
      case sessions::ListAfterChange::Redraw:
        form11_->Redraw();
        break;
      case sessions::ListAfterChange::Hide:
        HideList();
        break;
      case sessions::ListAfterChange::Keep:
        break;
    }
  }
  if (form10_) form10_->FollowMaster();
  if (form12_) form12_->NumberRows();
}
