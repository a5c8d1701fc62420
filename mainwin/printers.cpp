#include "mainwin/printers.h"

#include <QPrinterInfo>

namespace mainwin {

PrinterList SystemPrinters() {
  PrinterList list;
  list.names = QPrinterInfo::availablePrinterNames();
  if (list.names.isEmpty()) {
    list.names.append(QString::fromUtf8(kPdfPrinterName));
    list.defaultName = list.names.front();
    return list;
  }
  list.defaultName = QPrinterInfo::defaultPrinterName();
  if (!list.names.contains(list.defaultName)) list.defaultName = list.names.front();
  return list;
}

}  // namespace mainwin
