#pragma once

#include <QString>

#include "platform/status.h"
#include "store/records.h"
#include "store/store.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QSlider;

namespace store {

// The controls of the patient registration window (患者マスタ/新規登録) that
// the record-store routines write, under the window's own control names.
struct PatientForm {
  QLabel* Label9 = nullptr;     // master record number of the patient shown
  QLineEdit* Text1 = nullptr;   // ID
  QLineEdit* Text2 = nullptr;   // name
  QLineEdit* Text3 = nullptr;   // reading
  QComboBox* Combo1 = nullptr;  // sex: "M", "F"
  QLineEdit* Text4 = nullptr;   // date of birth
  QComboBox* Combo2 = nullptr;  // department
  QLineEdit* Text5 = nullptr;   // remarks
  QSlider* Slider1 = nullptr;   // master record to jump to, 0 ... PatientCount
};

// The department list of a patient window: the first DepartmentCount
// entries of "SYOZOKU.DATA", trimmed, blank ones included. The items are
// replaced; the text the combo shows is kept.
void FillPatientDepartments(Store& store, QComboBox* combo);

// ClearPatientForm: the five boxes emptied; Combo1 holding "M" and "F" and
// Combo2 the departments, both showing nothing; Slider1 ranging 0 ...
// PatientCount; Label9 empty.
void ClearPatientForm(Store& store, PatientForm& form);

// PatientBuffer into the form: the ID, name, reading, date of birth,
// department and remarks trimmed into their boxes, the sex into Combo1;
// Label9 = `label9`.
void ShowPatientBuffer(Store& store, PatientForm& form, const QString& label9);

// Showing record n: master record n read into PatientBuffer and shown, with
// Label9 = n formatted "000000". A read failure is returned and leaves the
// form as it was.
[[nodiscard]] Status ShowPatientRecord(Store& store, PatientForm& form, std::int32_t n);

// The record the form holds: each field from its control, cut or padded to
// its width; Sex is the first character of Combo1's text; RecordNo blank
// (the store writes it).
PatientRecord StorePatientForm(const PatientForm& form);

}  // namespace store
