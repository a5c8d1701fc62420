#pragma once

#include <QString>
#include <QStringList>

namespace widgets {

struct PrinterList {
  QStringList names;    // device names, in the order the system lists them
  QString defaultName;  // the system's current (default) printer
};

// The system's printers followed by the built-in PDF printer, which writes
// each print command to a PDF file (platform::kPdfPrinterName); the default
// is the system's, or the PDF printer when the system has no printer.
PrinterList SystemPrinters();

}  // namespace widgets
