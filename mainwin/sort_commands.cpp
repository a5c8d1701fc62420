#include <QAction>
#include <QLineEdit>
#include <QSlider>

#include "mainwin/main_window.h"
#include "store/long_operation.h"
#include "widgets/progress_window.h"

// 並べ替え: the data file in the order of the examination date or of the
// patient ID, through the sort component.

void Form1::ConnectSortCommands() {
  ConnectCommand(D_kensabi, &Form1::D_kensabi_Click);
  ConnectCommand(D_id, &Form1::D_id_Click);
}

void Form1::D_kensabi_Click() { RunSort(mainwin::SortOrder::ByDate); }

void Form1::D_id_Click() { RunSort(mainwin::SortOrder::ById); }

Dialog2& Form1::ProgressDialog() {
  if (dialog2_ == nullptr) dialog2_ = new Dialog2(this);
  return *dialog2_;
}

void Form1::RunSort(mainwin::SortOrder order) {
  store::LongOperation operation(store_);
  if (!operation) return;
  RunPendingLeaveCheck();
  if (DataFileRefused(true)) return;
  ui_.SetStayOnTop(true);
  ui_.SetBusyCursor(true);
  if (platform::Status s = store_.RemoveWorkFile(); !s.ok()) ui_.ShowErrorNumber(s.error);
  const mainwin::SortOutcome outcome = mainwin::SortDataFile(store_, ui_, ProgressDialog(), order);
  ui_.SetBusyCursor(false);
  if (outcome == mainwin::SortOutcome::Refused) return;
  // The stored record at the shown position may be another one now (also
  // after a failure that came once the file had been replaced): the form is
  // reloaded from it, so that registering can never write one record's
  // fields over another. A new record being entered stays as typed.
  const int x = ShownRecordNumber();
  if (x >= 1 && x <= store_.RecordCount) ShowExamination(x);
}
