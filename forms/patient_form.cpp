#include "forms/patient_form.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QStringList>

#include "platform/qt_text.h"

namespace store {

using platform::Q;
using platform::S;

void FillPatientDepartments(const std::vector<std::string>& departments, QComboBox* combo) {
  QStringList items;
  for (const std::string& entry : departments) items << Q(entry);
  const QString shown = combo->currentText();
  combo->clear();
  combo->addItems(items);
  combo->setCurrentIndex(-1);
  combo->setEditText(shown);
}

void ClearPatientForm(const std::vector<std::string>& departments, std::int32_t patientCount,
                      PatientForm& form) {
  for (QLineEdit* box : {form.Text1, form.Text2, form.Text3, form.Text4, form.Text5}) box->clear();
  form.Combo1->clear();
  form.Combo2->clear();
  FillPatientDepartments(departments, form.Combo2);
  form.Combo2->setEditText(QString());
  form.Slider1->setRange(0, patientCount);
  form.Combo1->addItems({QStringLiteral("M"), QStringLiteral("F")});
  form.Combo1->setCurrentIndex(-1);
  form.Combo1->setEditText(QString());
  form.Label9->clear();
}

void ShowPatient(const PatientRecord& p, PatientForm& form, const QString& label9) {
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

void ClearPatientRows(PatientListForm& f) {
  for (int r = 0; r < kRowsPerPage; ++r) {
    for (auto* column : {&f.Label2, &f.Label3, &f.Label4, &f.Label5, &f.Label6, &f.Label7}) {
      (*column)[r]->clear();
    }
  }
}

}  // namespace store
