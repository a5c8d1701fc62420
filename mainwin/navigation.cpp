// Stepping through the examinations: next and previous record, the record
// slider, and clearing the picture.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include "mainwin/main_window.h"

void Form1::ShowNextRecord() {
  if (DataFileRefused(false)) return;
  if (store_.RecordCount == 0) {
    ui_.MsgBox("データがありません。", platform::kExclamation);
    return;
  }
  const int x = ShownRecordNumber() + 1;
  if (x > store_.RecordCount) {
    ui_.MsgBox("データは以上です。", platform::kExclamation);
    return;
  }
  ShowExamination(x);
}

void Form1::ShowPreviousRecord() {
  if (DataFileRefused(false)) return;
  if (store_.RecordCount == 0) {
    ui_.MsgBox("データがありません。", platform::kExclamation);
    return;
  }
  const int x = ShownRecordNumber() - 1;
  if (x <= 0) {
    ui_.MsgBox("データは以上です。", platform::kExclamation);
    return;
  }
  ShowExamination(x);
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

void Form1::OnSliderAction(int action) {
  // A drag acts when the slider is let go (sliderReleased); a click beside
  // the handle or a key acts once the slider has taken its new value, and
  // only when the value did change: a key that leaves the slider where it is
  // (Home at the start, say), or the release of a key, is no command.
  if (action == QAbstractSlider::SliderMove || action == QAbstractSlider::SliderNoAction) return;
  const int before = Slider1->value();
  QMetaObject::invokeMethod(
      this,
      [this, before] {
        if (store_.LongOperationRunning() || Slider1->value() == before) return;
        Slider1_Click();
      },
      Qt::QueuedConnection);
}

void Form1::Slider1_Click() {
  RunPendingLeaveCheck();
  const int a = Slider1->value();
  if (a > 0 && a <= store_.RecordCount) ShowStoredRecord(a);
}

void Form1::G_kria_Click() { Image1->clear(); }
