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

bool Form1::CheckDateField() {
  const sessions::ExamFormSession::DateCheck check =
      sessions::ExamFormSession::CheckDate(S(Text1[0]->text()), store::FromQDate(Today()));
  if (check) {
    sessions::Show(ui_, check);
    Text1[0]->clear();
    leaveChecks_->Refocus(Text1[0]);
    return false;
  }
  Text1[0]->setText(Q(check.text));
  return true;
}

bool Form1::LookUpPatientId() {
  using Result = sessions::PatientLookup::Result;
  const sessions::PatientLookup lookup =
      session_.LookUpPatient(S(Text1[1]->text()), S(Text1[0]->text()), store::FromQDate(Today()));
  if (lookup.result == Result::Empty) return true;
  if (lookup.result == Result::Refused) {
    sessions::Show(ui_, lookup);
    Text1[1]->clear();
    leaveChecks_->Refocus(Text1[1]);
    return false;
  }
  Text1[1]->setText(Q(lookup.id));
  if (lookup.imageName) Text2->setText(Q(*lookup.imageName));
  if (lookup.result == Result::NotFound) {
    // What an earlier lookup filled in belongs to another patient; what the
    // user typed stays.
    if (const auto& old = lookup.takeBack) {
      if (Text1[2]->text() == Q(old->name)) Text1[2]->clear();
      if (Combo1->currentText() == Q(old->sex)) Combo1->setEditText(QString());
      if (Text1[3]->text() == Q(old->age)) Text1[3]->clear();
      if (Combo2->currentText() == Q(old->department)) Combo2->setEditText(QString());
    }
    Text1[2]->setFocus();
    return true;
  }
  if (lookup.result == Result::Failed) {
    sessions::Show(ui_, lookup);
    return true;
  }
  Text1[2]->setText(Q(lookup.fill.name));
  Combo1->setCurrentIndex(-1);
  Combo1->setEditText(Q(lookup.fill.sex));
  Text1[3]->setText(Q(lookup.fill.age));
  Combo2->setCurrentIndex(-1);
  Combo2->setEditText(Q(lookup.fill.department));
  ui_.SetStayOnTop(true);
  if (!lookup.fill.department.empty()) {
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
    // The calendar takes the keyboard: arrows move, Enter picks, Esc closes.
    MonthView1->setFocus(Qt::OtherFocusReason);
  } else {
    MonthView1->hide();
  }
}

void Form1::MonthView1_DateClick(const QDate& date) {
  Text1[0]->setText(store::DateText(date));
  Text1[1]->setFocus();
  MonthView1->hide();
}
