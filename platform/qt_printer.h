#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QString>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>

#include "platform/printer.h"

class QImage;
class QPainter;
class QPrinter;

namespace platform {

// A picture on screen as the printer takes it (decoded pixels); empty for a
// null image.
PrintPicture PictureFromImage(const QImage& image);

// The printer over QPrinter and QPainter: the system's printers as CUPS
// lists them (QPrinterInfo) and the built-in PDF printer, which writes each
// print command into a new file "<title>_<yyyyMMdd-HHmmss>.pdf" in its
// folder, never replacing an earlier file (" (2)", " (3)" ... are added).
// The font "ＭＳ ゴシック" is printed in the installed Japanese gothic font.
class QtPrinter : public Printer {
 public:
  // `pdfFolder`: where the PDF printer writes; empty for DefaultPdfFolder().
  explicit QtPrinter(std::filesystem::path pdfFolder = {});
  ~QtPrinter() override;
  QtPrinter(const QtPrinter&) = delete;
  QtPrinter& operator=(const QtPrinter&) = delete;

  // The folder "Velunor2.0" in the user's documents folder (XDG).
  static std::filesystem::path DefaultPdfFolder();
  const std::filesystem::path& PdfFolder() const { return pdfFolder_; }

  // The properties dialog: gets a QPrinter on the printer with its current
  // page layout and answers whether the user accepted it. Qt's page-setup
  // dialog unless replaced.
  using PropertiesDialog = std::function<bool(QPrinter& printer)>;
  void SetPropertiesDialog(PropertiesDialog dialog) { propertiesDialog_ = std::move(dialog); }
  // The page layout the printer's next print command uses.
  QPageLayout PageLayoutOf(std::string_view deviceName) const;

  std::vector<std::string> PrinterNames() override;
  std::string DefaultPrinterName() override;
  std::string DeviceName() const override { return current_; }
  bool SetCurrentPrinter(std::string_view deviceName) override;
  bool ShowProperties(std::string_view deviceName) override;

  void BeginJob(std::string_view title) override;
  JobResult EndJob() override;

  Status Print(std::string_view text) override;
  Status PaintPicture(const PrintPicture& picture, double x, double y, double width,
                      double height) override;
  Status NewPage() override;
  Status EndDoc() override;
  void KillDoc() override;

 private:
  bool IsPdf() const;
  std::unique_ptr<QPrinter> MakePrinter(std::string_view deviceName) const;
  // The page the next drawing goes to: the command, the document and, after
  // a document ended on the PDF printer, the next page of the file started.
  Status EnsurePage();
  // Reserves the staging file the PDF is drawn into (a hidden name in the
  // PDF folder); the folder is made when missing.
  Status ReservePdfFile();
  // The drawn PDF checked whole, forced to the disk and put under its
  // own name (a new one, never over an existing file); the failure in words.
  std::string PublishPdf();
  // Ends (or abandons) the document being drawn; false when it failed.
  bool CloseDocument(bool abandon);
  void ApplyFont();

  std::filesystem::path pdfFolder_;
  PropertiesDialog propertiesDialog_;
  std::string current_;
  std::map<std::string, QPageLayout, std::less<>> layouts_;

  // The print command.
  bool jobOpen_ = false;
  bool implicitJob_ = false;  // started by drawing, ended by EndDoc
  bool jobFailed_ = false;
  std::string jobTitle_;
  QString pdfPath_;      // the staging file of the command's PDF
  std::string failure_;  // why the PDF could not be written
  int pdfPages_ = 0;
  bool breakPending_ = false;  // the PDF printer's next drawing starts a page
  // The document being drawn.
  std::unique_ptr<QPrinter> printer_;
  std::unique_ptr<QPainter> painter_;
  double columnPx_ = 0;
  double linePx_ = 0;
  // The font applied to the painter, and its metrics on the printer.
  QFont font_;
  std::unique_ptr<QFontMetricsF> metrics_;
  std::string fontName_;
  double fontSize_ = 0;
  bool fontBold_ = false;
};

}  // namespace platform
