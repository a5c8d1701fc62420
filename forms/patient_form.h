#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "forms/list_pages.h"
#include "store/records.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QSlider;

namespace store {

// The controls of the patient registration window (患者マスタ/新規登録) that
// the form routines write, under the window's own control names.
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

// The patient list (患者マスタ/一覧).
struct PatientListForm {
  Rows<QLabel> Label2, Label3, Label4, Label5, Label6, Label7;  // file number, ID, name, sex,
                                                                // birth date, department
  QLabel* Label8 = nullptr;  // "データ数：" + the records of the list
  QLabel* Label9 = nullptr;  // page indicator
  QSlider* Slider1 = nullptr;
};

// The department list of a patient window: `departments` (the department
// list's entries, blank ones included). The items are replaced; the text
// the combo shows is kept.
void FillPatientDepartments(const std::vector<std::string>& departments, QComboBox* combo);

// ClearPatientForm: the five boxes emptied; Combo1 holding "M" and "F" and
// Combo2 the departments, both showing nothing; Slider1 ranging 0 ...
// `patientCount`; Label9 empty.
void ClearPatientForm(const std::vector<std::string>& departments, std::int32_t patientCount,
                      PatientForm& form);

// A patient into the form: the ID, name, reading, date of birth, department
// and remarks trimmed into their boxes, the sex into Combo1; Label9 =
// `label9`.
void ShowPatient(const PatientRecord& patient, PatientForm& form, const QString& label9);

// The record the form holds: each field from its control, cut or padded to
// its width; Sex is the first character of Combo1's text; RecordNo blank
// (the store writes it).
PatientRecord StorePatientForm(const PatientForm& form);

// Empties the captions of every row of the patient list.
void ClearPatientRows(PatientListForm& form);

}  // namespace store
