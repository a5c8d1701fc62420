// Stepping through the examinations: next and previous record, the record
// slider, and clearing the picture.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include "mainwin/form1.h"
#include "store/forms/record_transfer.h"

bool Form1::ShowRecord(int x) {
  if (platform::Status s = store_.ReadCurrentRecord(x); !s.ok()) {
    ui_.ShowErrorNumber(s.error);
    return false;
  }
  store::ClearRecordForm(store_, *this);
  store::FillLookupLists(store_, *this);
  store::ShowCurrentRecord(store_, ui_, *this);
  Label14->setText(QString::number(x));
  return true;
}

void Form1::ShowNextRecord() {
  if (store_.RecordCount == 0) {
    ui_.MsgBox("データがありません。", platform::kExclamation);
    return;
  }
  const int x = ShownRecordNumber() + 1;
  if (x > store_.RecordCount) {
    ui_.MsgBox("データは以上です。", platform::kExclamation);
    return;
  }
  if (!ShowRecord(x)) return;
  Text2->setEnabled(false);
  Slider1->setValue(x);
}

void Form1::ShowPreviousRecord() {
  if (store_.RecordCount == 0) {
    ui_.MsgBox("データがありません。", platform::kExclamation);
    return;
  }
  const int x = ShownRecordNumber() - 1;
  if (x <= 0) {
    ui_.MsgBox("データは以上です。", platform::kExclamation);
    return;
  }
  if (!ShowRecord(x)) return;
  Text2->setEnabled(false);
  Slider1->setValue(x);
}

void Form1::Command1_Click() {
  RunPendingLeaveCheck();
  ShowNextRecord();
}

void Form1::Command2_Click() {
  RunPendingLeaveCheck();
  ShowPreviousRecord();
}

void Form1::nextdata_Click() {
  Command1->setFocus();
  RunPendingLeaveCheck();
  ShowNextRecord();
}

void Form1::maedata_Click() {
  Command2->setFocus();
  RunPendingLeaveCheck();
  ShowPreviousRecord();
}

void Form1::Slider1_Click() {
  RunPendingLeaveCheck();
  const int a = Slider1->value();
  if (a > 0 && a <= store_.RecordCount) ShowRecord(a);
}

void Form1::G_kria_Click() { Image1->clear(); }
