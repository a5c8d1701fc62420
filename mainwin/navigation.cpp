// Stepping through the examinations (next and previous record, the record
// slider), clearing the picture, and the two sorts of the data file.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include "mainwin/main_window.h"
#include "widgets/progress_window.h"

void Form1::ShowNextRecord() { ApplyLeaving(session_.Next()); }

void Form1::ShowPreviousRecord() { ApplyLeaving(session_.Previous()); }

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
  if (ApplyLeaving(session_.SliderAt(Slider1->value()), false)) return;
  // The user kept the typed work: the slider goes back to the form's record.
  const QSignalBlocker quiet(Slider1);
  Slider1->setValue(session_.ShownRecordNumber());
}

void Form1::G_kria_Click() { Image1->clear(); }

// --- 並べ替え: 検査日順 and ID順 through the sort component -------------------

void Form1::ConnectSortCommands() {
  ConnectCommand(D_kensabi, &Form1::D_kensabi_Click);
  ConnectCommand(D_id, &Form1::D_id_Click);
}

void Form1::D_kensabi_Click() { RunSort(sessions::ExamFormSession::SortOrder::ByDate); }

void Form1::D_id_Click() { RunSort(sessions::ExamFormSession::SortOrder::ById); }

Dialog2& Form1::ProgressDialog() {
  if (dialog2_ == nullptr) dialog2_ = new Dialog2(this);
  return *dialog2_;
}

void Form1::RunSort(sessions::ExamFormSession::SortOrder order) {
  // A leave check pending now waits until the sort has ended.
  Apply(session_.Sort(ui_, ProgressDialog(), order));
}
