// The record form's field handling: the date check, the ID lookup, the date
// buttons and the calendar.
#include <QCalendarWidget>
#include <QComboBox>
#include <QLineEdit>

#include "mainwin/form1.h"
#include "platform/qt_ui.h"
#include "store/forms/entry_rules.h"
#include "store/text_format.h"

using platform::Q;
using platform::S;

void Form1::Text1_LostFocus(int index) {
  if (index == 0) {
    const QString text = Text1[0]->text();
    if (text.isEmpty()) {
      Text1[0]->setText(store::DateText(Today()));
    } else if (std::optional<QDate> date = store::ParseExamDate(text, Today())) {
      Text1[0]->setText(store::DateText(*date));
    } else {
      ui_.MsgBox("日付入力データが不正です。", platform::kExclamation);
      Text1[0]->clear();
      Refocus(Text1[0]);
    }
    return;
  }
  if (index != 1) return;

  QString id = Text1[1]->text();
  if (id.isEmpty()) return;
  id = store::FormatPatientId(id);
  Text1[1]->setText(id);
  // Text that is no number finds nobody (its numeric value 0 would find a
  // patient with the ID 000000).
  if (store::IsNumericText(id)) {
    store_.FindPatientById(static_cast<float>(store::NumericValue(S(id))));
  } else {
    store_.FoundPatientNo = 0;
  }
  // The image of an examination is named after the patient's ID unless the
  // user changes it.
  Text2->setText(Q(store::TrimBlanks(S(id))));
  if (store_.FoundPatientNo == 0) {
    Text1[2]->setFocus();
    return;
  }

  const auto found = static_cast<std::int32_t>(store_.FoundPatientNo);
  if (!store_.MasterFileNo) return;
  if (platform::Status s = store_.MasterFileNo->Read(found, store_.PatientBuffer); !s.ok()) {
    ui_.ShowErrorNumber(s.error);
    return;
  }
  const store::PatientRecord& patient = store_.PatientBuffer;
  Text1[2]->setText(Q(patient.Get(store::PatientField::Name)));
  Combo1->setCurrentIndex(-1);
  Combo1->setEditText(Q(patient.Get(store::PatientField::Sex)));
  // The age counts calendar years; a birth date that is no date gives none.
  const std::optional<QDate> birth =
      store::ParseExamDate(Q(patient.Get(store::PatientField::BirthDate)), Today());
  Text1[3]->setText(birth ? QString::number(store::AgeInCalendarYears(*birth, Today()))
                          : QString());
  const QString department = Q(patient.Get(store::PatientField::Department));
  Combo2->setCurrentIndex(-1);
  Combo2->setEditText(department);
  ui_.SetStayOnTop(true);
  if (!department.isEmpty()) {
    Text1[4]->setFocus();
  } else {
    Combo2->setFocus();
  }
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
