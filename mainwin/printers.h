#pragma once

#include <QString>
#include <QStringList>

namespace mainwin {

// The built-in printer that writes each document to a PDF file; offered when
// the system has no printer, so that printing works everywhere.
inline constexpr const char* kPdfPrinterName = "Velunor2.0 PDF";

struct PrinterList {
  QStringList names;    // device names, in the order the system lists them
  QString defaultName;  // the system's current (default) printer
};

// The system's printers, or the PDF printer alone when there is none.
PrinterList SystemPrinters();

}  // namespace mainwin
