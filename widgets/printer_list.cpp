#include "widgets/printer_list.h"

#include <QPrinterInfo>

#include "platform/printer.h"
#include "platform/qt_text.h"

namespace widgets {

PrinterList SystemPrinters() {
  PrinterList list;
  list.names = QPrinterInfo::availablePrinterNames();
  const QString pdf = platform::Q(platform::kPdfPrinterName);
  if (list.names.isEmpty()) {
    list.defaultName = pdf;
  } else {
    list.defaultName = QPrinterInfo::defaultPrinterName();
    if (!list.names.contains(list.defaultName)) list.defaultName = list.names.front();
  }
  list.names.append(pdf);
  return list;
}

}  // namespace widgets
