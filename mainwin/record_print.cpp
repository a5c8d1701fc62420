#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "mainwin/main_window.h"
#include "platform/qt_printer.h"
#include "platform/qt_text.h"
#include "store/record_page.h"

using platform::S;

namespace {

// The page's values as the form shows them.
store::RecordPage PageOf(const Form1& form) {
  store::RecordPage page;
  page.examDate = S(form.Text1[0]->text());
  page.patientId = S(form.Text1[1]->text());
  page.name = S(form.Text1[2]->text());
  page.sex = S(form.Combo1->currentText());
  page.age = S(form.Text1[3]->text());
  page.department = S(form.Combo2->currentText());
  page.heartRate = S(form.Text1[4]->text());
  for (int i = 0; i < 5; ++i) {
    page.leadSites[i] = S(form.Combo3[i]->currentText());
    page.findings[i] = S(form.Combo4[i]->currentText());
    page.arrhythmias[i] = S(form.Combo5[i]->currentText());
  }
  page.picture = platform::PictureFromImage(form.Image1->pixmap().toImage());
  return page;
}

}  // namespace

void Form1::D_insatu_Click() {
  if (printer_ == nullptr) return;
  store::RecordPrintRequest request;
  request.recordNumber = ShownRecordNumber();
  request.printerName = S(CurrentPrinter());
  request.page = [this] { return PageOf(*this); };
  // The properties of the printer the list names.
  request.printerSettings = [this] { printer_->ShowProperties(S(Combo6->currentText())); };
  store::PrintRecord(store_, ui_, *printer_, request);
}
