#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"
#include "platform/ui.h"

namespace platform {

// The printer's failures in the run-time numbering ("Printer error").
inline constexpr int kPrinterError = 482;

// The built-in printer that writes every print command into one PDF file
// under the user's documents folder; always the last of the printers, so
// that printing works on a machine without printers.
inline constexpr std::string_view kPdfPrinterName = "Velunor2.0 PDF";

// The character scale every position is given in: a column is 120 twips
// wide, a line 240 twips high (1440 twips to the inch), counted from 0 at
// the left and top edges of the printable area.
inline constexpr int kColumnTwips = 120;
inline constexpr int kLineTwips = 240;

// A picture to print: either decoded pixels (`width` x `height`, rows top to
// bottom, each pixel 0xAARRGGBB; the alpha is 0xFF throughout unless
// `hasAlpha`) or a picture file on the host.
struct PrintPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  bool hasAlpha = false;
  std::string hostPath;

  bool Empty() const { return hostPath.empty() && (width <= 0 || height <= 0 || pixels.empty()); }
};

// What ending a print command left behind.
struct JobResult {
  Status status;
  // The PDF file written by the built-in PDF printer (a host path); empty
  // for a real printer and when no file was written.
  std::string outputFile;
  // Why the PDF printer could not write the file (Japanese); empty when it
  // did, or when nothing was drawn.
  std::string failure;
};

// The printer object of the windows: the system's printers and the current
// one, the properties dialog, and the drawing of text lines and pictures in
// the character scale.
//
// A print command runs BeginJob, draws, ends each document with EndDoc and
// finishes with EndJob. On a real printer every document is a job of its
// own, sent by EndDoc. The PDF printer puts all documents of one command into
// one file, each document starting on a new page, and writes the file at
// EndJob. Drawing before BeginJob starts a command of its own, ended with
// its first EndDoc.
//
// Every drawing call answers kPrinterError (481 for a picture that cannot be
// read) and leaves the printer usable; callers that ignore printer errors go
// on with the next step.
class Printer {
 public:
  virtual ~Printer() = default;

  // --- The printers -----------------------------------------------------
  // Device names: the system's printers in the order the system lists them,
  // then the PDF printer.
  virtual std::vector<std::string> PrinterNames() = 0;
  // The system's default printer, or the PDF printer when there is none.
  virtual std::string DefaultPrinterName() = 0;
  // The printer the next print command goes to.
  virtual std::string DeviceName() const = 0;
  // Makes the printer of that device name current; false, with the current
  // printer unchanged, when there is none of that name. Not while a command
  // is printing.
  virtual bool SetCurrentPrinter(std::string_view deviceName) = 0;
  // The modal properties dialog of the printer `deviceName`, where the user
  // sets the paper and its orientation; what is set there holds for that
  // printer's following print commands. Returns when the dialog is closed:
  // true when it was closed with OK, false when it was cancelled.
  virtual bool ShowProperties(std::string_view deviceName) = 0;

  // --- A print command --------------------------------------------------
  // `title` names what is printed (the PDF printer names its file after it
  // and the time).
  virtual void BeginJob(std::string_view title) = 0;
  // Ends the document still open and finishes the command.
  virtual JobResult EndJob() = 0;

  // --- Drawing ----------------------------------------------------------
  // Prints `text` at (CurrentX, CurrentY), its top at the top of the line;
  // then CurrentX = 0 and CurrentY moves one line down.
  virtual Status Print(std::string_view text) = 0;
  // Draws the picture stretched into the rectangle (x, y, width, height).
  virtual Status PaintPicture(const PrintPicture& picture, double x, double y, double width,
                              double height) = 0;
  // Ends the page; the next drawing goes to the top of a new one.
  virtual Status NewPage() = 0;
  // Ends the document: a real printer prints it now.
  virtual Status EndDoc() = 0;
  // Abandons the document being drawn: a real printer prints nothing of it;
  // the PDF printer writes no file for the command once anything of the
  // document is drawn (a PDF page cannot be taken back).
  virtual void KillDoc() = 0;

  // Moves the print position to column x, line y.
  void SetPrintPosition(double x, double y) {
    CurrentX = x;
    CurrentY = y;
  }

  // Print position, in columns and lines.
  double CurrentX = 0;
  double CurrentY = 0;
  // The font of the lines printed next.
  std::string FontName;
  double FontSize = 10;
  bool FontBold = false;
  // The paper orientation of the documents started next: as the printer is
  // set up (its properties dialog), or one the page's layout needs.
  enum class Orientation { AsSet, Portrait, Landscape };
  Orientation PageOrientation = Orientation::AsSet;
};

// After a print command to the PDF printer: tells the user where the file
// is ("PDFファイルに保存しました。", the folder, the file name), or that it
// could not be saved and why. Nothing for a real printer.
void ShowPdfFile(Ui& ui, const JobResult& result);

// A one-page picture print on A4 landscape: asks whether the printer is set
// so (いいえ opens its settings; cancelling them cancels the print) and
// whether to print, then prints the page `paint` draws as job `title` on
// `printerName` and says where a PDF went. False when the user cancelled.
bool PrintLandscapePage(Ui& ui, Printer& printer, const std::string& printerName,
                        std::string_view title, const std::function<void(Printer&)>& paint);

}  // namespace platform
