// The record form's field handling: the date check, the ID lookup, the date
// buttons and the calendar.
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QLineEdit>

#include "forms/entry_rules.h"
#include "mainwin/main_window.h"
#include "platform/qt_text.h"
#include "store/text_format.h"
#include "widgets/leave_checks.h"

using platform::Q;
using platform::S;

void Form1::Text1_LostFocus(int index) {
  if (index == 0) {
    (void)CheckDateField();
  } else if (index == 1) {
    (void)LookUpPatientId();
  }
}

bool Form1::CheckDateField() {
  const QString text = Text1[0]->text();
  if (text.isEmpty()) {
    Text1[0]->setText(store::DateText(Today()));
  } else if (std::optional<QDate> date = store::ParseExamDate(text, Today())) {
    Text1[0]->setText(store::DateText(*date));
  } else {
    ui_.MsgBox("日付入力データが不正です。", platform::kExclamation);
    Text1[0]->clear();
    leaveChecks_->Refocus(Text1[0]);
    return false;
  }
  return true;
}

bool Form1::LookUpPatientId() {
  QString id = Text1[1]->text();
  if (id.isEmpty()) return true;
  const bool numeric = store::IsNumericText(id);
  id = store::FormatPatientId(id);
  if (numeric && !store::PatientIdFits(id)) {
    // Cut to the field's six bytes it would be another patient's ID.
    ui_.MsgBox("ＩＤは６桁までの数字で入力して下さい。", platform::kExclamation);
    Text1[1]->clear();
    leaveChecks_->Refocus(Text1[1]);
    return false;
  }
  Text1[1]->setText(id);
  // Text that is no number finds nobody (its numeric value 0 would find a
  // patient with the ID 000000).
  store::FoundPatient found;
  if (numeric) found = store_.FindPatient(static_cast<float>(store::NumericValue(S(id))));
  const bool newRecord = shownRecord_ > store_.RecordCount;
  // The image of a new examination is named after the patient's ID unless
  // the user changes it; a stored examination keeps the picture it names.
  if (newRecord) Text2->setText(Q(store::TrimBlanks(S(id))));
  if (found.position == 0) {
    // What an earlier lookup filled in belongs to another patient; what the
    // user typed stays.
    if (newRecord && lookupFill_) {
      if (Text1[2]->text() == lookupFill_->name) Text1[2]->clear();
      if (Combo1->currentText() == lookupFill_->sex) Combo1->setEditText(QString());
      if (Text1[3]->text() == lookupFill_->age) Text1[3]->clear();
      if (Combo2->currentText() == lookupFill_->department) Combo2->setEditText(QString());
    }
    lookupFill_.reset();
    Text1[2]->setFocus();
    return true;
  }

  if (!found.status.ok()) {
    ui_.ShowErrorNumber(found.status.error);
    return true;
  }
  const store::PatientRecord& patient = found.record;
  Text1[2]->setText(Q(patient.Get(store::PatientField::Name)));
  Combo1->setCurrentIndex(-1);
  Combo1->setEditText(Q(patient.Get(store::PatientField::Sex)));
  // The age in the year of the examination (of today when the date field
  // holds no date), in calendar years; a birth date that is no date gives
  // none.
  Text1[3]->setText(store::AgeAtExamination(Q(patient.Get(store::PatientField::BirthDate)),
                                            Text1[0]->text(), Today()));
  const QString department = Q(patient.Get(store::PatientField::Department));
  Combo2->setCurrentIndex(-1);
  Combo2->setEditText(department);
  lookupFill_ = LookupFill{Text1[2]->text(), Combo1->currentText(), Text1[3]->text(), department};
  ui_.SetStayOnTop(true);
  if (!department.isEmpty()) {
    Text1[4]->setFocus();
  } else {
    Combo2->setFocus();
  }
  return true;
}

void Form1::Text2_LostFocus() {
  const std::string name = S(Text2->text());
  const std::string_view trimmed = store::TrimBlanks(name);
  if (trimmed.size() != name.size()) Text2->setText(Q(trimmed));
}

void Form1::ShiftDate(int days) {
  RunPendingLeaveCheck();
  const QString text = Text1[0]->text();
  if (text.isEmpty()) return;
  const std::optional<QDate> date = store::ParseExamDate(text, Today());
  if (!date) return;
  Text1[0]->setText(store::DateText(date->addDays(days)));
  Text1[1]->setFocus();
}

void Form1::Command3_Click() { ShiftDate(1); }
void Form1::Command4_Click() { ShiftDate(-1); }

void Form1::Carender_Click() {
  if (MonthView1->isHidden()) {
    // Opens on the date in the date field (today when it holds no date).
    MonthView1->setSelectedDate(store::ParseExamDate(Text1[0]->text(), Today()).value_or(Today()));
    MonthView1->show();
    MonthView1->raise();
  } else {
    MonthView1->hide();
  }
}

void Form1::MonthView1_DateClick(const QDate& date) {
  Text1[0]->setText(store::DateText(date));
  Text1[1]->setFocus();
  MonthView1->hide();
}
