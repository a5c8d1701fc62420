#include "forms/patient_form.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QStringList>

#include "platform/qt_text.h"
#include "store/text_format.h"

namespace store {

using platform::Q;
using platform::S;

void FillPatientDepartments(Store& store, QComboBox* combo) {
  QStringList items;
  for (store.ItemIndex = 1; store.ItemIndex <= store.DepartmentCount; ++store.ItemIndex) {
    store.DepartmentEntry.Clear();
    if (store.DepartmentFileNo)
      (void)store.DepartmentFileNo->Read(store.ItemIndex, store.DepartmentEntry);
    items << Q(store.DepartmentEntry.Get(ListEntryField::EntryText));
  }
  const QString shown = combo->currentText();
  combo->clear();
  combo->addItems(items);
  combo->setCurrentIndex(-1);
  combo->setEditText(shown);
}

void ClearPatientForm(Store& store, PatientForm& form) {
  for (QLineEdit* box : {form.Text1, form.Text2, form.Text3, form.Text4, form.Text5}) box->clear();
  form.Combo1->clear();
  form.Combo2->clear();
  FillPatientDepartments(store, form.Combo2);
  form.Combo2->setEditText(QString());
  form.Slider1->setRange(0, store.PatientCount);
  form.Combo1->addItems({QStringLiteral("M"), QStringLiteral("F")});
  form.Combo1->setCurrentIndex(-1);
  form.Combo1->setEditText(QString());
  form.Label9->clear();
}

void ShowPatientBuffer(Store& store, PatientForm& form, const QString& label9) {
  const PatientRecord& p = store.PatientBuffer;
  form.Text1->setText(Q(p.Get(PatientField::PatientId)));
  form.Text2->setText(Q(p.Get(PatientField::Name)));
  form.Text3->setText(Q(p.Get(PatientField::Reading)));
  form.Combo1->setCurrentIndex(-1);
  form.Combo1->setEditText(Q(p.Get(PatientField::Sex)));
  form.Text4->setText(Q(p.Get(PatientField::BirthDate)));
  form.Combo2->setCurrentIndex(-1);
  form.Combo2->setEditText(Q(p.Get(PatientField::Department)));
  form.Text5->setText(Q(p.Get(PatientField::Remarks)));
  form.Label9->setText(label9);
}

Status ShowPatientRecord(Store& store, PatientForm& form, std::int32_t n) {
  if (!store.MasterFileNo) return Status::Error(platform::kBadFileNameOrNumber);
  if (Status s = store.MasterFileNo->Read(n, store.PatientBuffer); !s.ok()) return s;
  ShowPatientBuffer(store, form, Q(FormatNumber(n, "000000")));
  return Status::Ok();
}

PatientRecord StorePatientForm(const PatientForm& form) {
  PatientRecord r;
  r.Set(PatientField::PatientId, S(form.Text1->text()));
  r.Set(PatientField::Name, S(form.Text2->text()));
  r.Set(PatientField::Reading, S(form.Text3->text()));
  r.Set(PatientField::Sex, S(form.Combo1->currentText().left(1)));
  r.Set(PatientField::BirthDate, S(form.Text4->text()));
  r.Set(PatientField::Department, S(form.Combo2->currentText()));
  r.Set(PatientField::Remarks, S(form.Text5->text()));
  return r;
}

}  // namespace store
