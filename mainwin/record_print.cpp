#include <QComboBox>

#include "forms/record_transfer.h"
#include "mainwin/main_window.h"
#include "platform/qt_text.h"

using platform::S;

void Form1::D_insatu_Click() {
  if (printer_ == nullptr) return;
  store::RecordPrintRequest request;
  request.recordNumber = ShownRecordNumber();
  request.printerName = S(CurrentPrinter());
  request.page = [this] { return store::RecordPageOf(store_.Files(), *this); };
  // The properties of the printer the list names.
  request.printerSettings = [this] { return printer_->ShowProperties(S(Combo6->currentText())); };
  store::PrintRecord(store_, ui_, *printer_, request);
}
