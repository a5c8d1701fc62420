#include "platform/qt_printer.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <system_error>

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "platform/error_text.h"
#include "platform/file_system.h"
#include "platform/qt_text.h"

namespace platform {

namespace {

// Whether the file system holding `folder` has no room left for a page.
bool IsDiskFull(const std::filesystem::path& folder) {
  struct statvfs st {};
  if (::statvfs(folder.c_str(), &st) != 0) return false;
  return static_cast<unsigned long long>(st.f_bavail) * st.f_frsize < 64 * 1024;
}

// A picture of more than twice this resolution in the rectangle it fills is
// handed to the printer at this resolution: enough for any printer, and a
// very large scan does not make the document large or slow. Smaller ones go
// as they are (scaling would cost more than it saves).
constexpr double kPictureDpi = 300;

void RegisterGothicSubstitution() {
  static bool done = false;
  if (done) return;
  done = true;
  QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"),
                             {QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック"),
                              QStringLiteral("Noto Sans CJK JP"), QStringLiteral("TakaoGothic"),
                              QStringLiteral("VL Gothic")});
}

// What of a title may stand in a file name.
QString FileNamePart(std::string_view title) {
  QString name = Q(title).trimmed();
  for (QChar& c : name) {
    if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c)) c = QLatin1Char('_');
  }
  while (name.startsWith(QLatin1Char('.'))) name.remove(0, 1);
  if (name.size() > 80) name.truncate(80);
  if (name.isEmpty()) name = QStringLiteral("Velunor2.0");
  return name;
}

}  // namespace

PrintPicture PictureFromImage(const QImage& image) {
  PrintPicture picture;
  if (image.isNull()) return picture;
  // A photograph or a scan (no alpha) stays in the 0xFFRRGGBB form it was
  // decoded in.
  picture.hasAlpha = image.hasAlphaChannel();
  const QImage pixels =
      image.convertToFormat(picture.hasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  picture.width = pixels.width();
  picture.height = pixels.height();
  picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
  for (int row = 0; row < picture.height; ++row) {
    const auto* line = reinterpret_cast<const std::uint32_t*>(pixels.constScanLine(row));
    std::copy_n(line, picture.width,
                picture.pixels.data() + static_cast<std::size_t>(row) * picture.width);
  }
  return picture;
}

QtPrinter::QtPrinter(std::filesystem::path pdfFolder)
    : pdfFolder_(pdfFolder.empty() ? DefaultPdfFolder() : std::move(pdfFolder)) {
  RegisterGothicSubstitution();
  current_ = DefaultPrinterName();
}

QtPrinter::~QtPrinter() {
  if (jobOpen_) (void)EndJob();
}

std::filesystem::path QtPrinter::DefaultPdfFolder() {
  QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (documents.isEmpty()) documents = QDir::homePath() + QStringLiteral("/Documents");
  return std::filesystem::path(documents.toStdString()) / "Velunor2.0";
}

std::vector<std::string> QtPrinter::PrinterNames() {
  std::vector<std::string> names;
  for (const QString& name : QPrinterInfo::availablePrinterNames()) names.push_back(S(name));
  names.emplace_back(kPdfPrinterName);
  return names;
}

std::string QtPrinter::DefaultPrinterName() {
  const QStringList system = QPrinterInfo::availablePrinterNames();
  if (system.isEmpty()) return std::string(kPdfPrinterName);
  const QString name = QPrinterInfo::defaultPrinterName();
  return S(system.contains(name) ? name : system.front());
}

bool QtPrinter::SetCurrentPrinter(std::string_view deviceName) {
  if (jobOpen_) return false;
  const std::vector<std::string> names = PrinterNames();
  if (std::find(names.begin(), names.end(), deviceName) == names.end()) return false;
  current_ = std::string(deviceName);
  return true;
}

bool QtPrinter::IsPdf() const { return current_ == kPdfPrinterName; }

std::unique_ptr<QPrinter> QtPrinter::MakePrinter(std::string_view deviceName) const {
  std::unique_ptr<QPrinter> printer;
  if (deviceName == kPdfPrinterName) {
    printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setCreator(QStringLiteral("Velunor2.0"));
    // A4 portrait, with the margins a printer cannot print on.
    printer->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                       QMarginsF(6.35, 6.35, 6.35, 6.35), QPageLayout::Millimeter));
  } else {
    printer = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(Q(deviceName)),
                                         QPrinter::HighResolution);
  }
  if (auto it = layouts_.find(deviceName); it != layouts_.end()) {
    printer->setPageLayout(it->second);
  }
  return printer;
}

QPageLayout QtPrinter::PageLayoutOf(std::string_view deviceName) const {
  return MakePrinter(deviceName)->pageLayout();
}

bool QtPrinter::ShowProperties(std::string_view deviceName) {
  std::unique_ptr<QPrinter> printer = MakePrinter(deviceName);
  bool accepted = false;
  if (propertiesDialog_) {
    accepted = propertiesDialog_(*printer);
  } else {
    QPageSetupDialog dialog(printer.get(), QApplication::activeWindow());
    dialog.setWindowTitle(Q(deviceName) + QStringLiteral(" のプロパティ"));
    accepted = dialog.exec() == QDialog::Accepted;
  }
  if (accepted) layouts_[std::string(deviceName)] = printer->pageLayout();
  return accepted;
}

void QtPrinter::BeginJob(std::string_view title) {
  if (jobOpen_) (void)EndJob();
  jobOpen_ = true;
  implicitJob_ = false;
  jobFailed_ = false;
  failure_.clear();
  jobTitle_ = std::string(title);
  pdfPath_.clear();
  pdfPages_ = 0;
  breakPending_ = false;
}

Status QtPrinter::ReservePdfFile() {
  if (std::error_code ec = CreateFolders(pdfFolder_)) {
    failure_ = "フォルダ「" + pdfFolder_.string() + "」を作成できません（" +
               ErrorText(ErrorFromErrno(ec.value())) + "）";
    return Status::Error(kPrinterError);
  }
  const QString folder = QString::fromStdString(pdfFolder_.string());
  for (int n = 0; n < 10000; ++n) {
    QFile file(
        folder +
        QStringLiteral("/.velunor2-%1-%2.pdf.part").arg(QCoreApplication::applicationPid()).arg(n));
    // Created here or not at all: an earlier file of that name is never touched.
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
      pdfPath_ = file.fileName();
      SetCreatedMode(S(pdfPath_));
      return Status::Ok();
    }
    if (!file.exists()) {
      failure_ = "フォルダ「" + pdfFolder_.string() + "」に書き込めません（" +
                 ErrorText(ErrorFromErrno(errno)) + "）";
      break;
    }
  }
  return Status::Error(kPrinterError);
}

std::string QtPrinter::PublishPdf() {
  const std::string staging = S(pdfPath_);
  // Whole: a PDF ends with its trailer; a full disk cuts it short.
  std::string tail;
  {
    QFile file(pdfPath_);
    if (!file.open(QIODevice::ReadOnly)) return ErrorText(kFileNotFound);
    if (file.size() > 1024) file.seek(file.size() - 1024);
    tail = file.readAll().toStdString();
  }
  if (tail.find("%%EOF") == std::string::npos) {
    return IsDiskFull(pdfFolder_) ? ErrorText(kDiskFull) : ErrorText(kDeviceIoError);
  }
  const int fd = ::open(staging.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 || ::fsync(fd) != 0) {
    const int error = ErrorFromErrno(errno);
    if (fd >= 0) ::close(fd);
    return ErrorText(error);
  }
  ::close(fd);
  const QString folder = QString::fromStdString(pdfFolder_.string());
  const QString stem = FileNamePart(jobTitle_) + QLatin1Char('_') +
                       QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
  for (int n = 1; n < 10000; ++n) {
    const QString name =
        stem + (n == 1 ? QString() : QStringLiteral(" (%1)").arg(n)) + QStringLiteral(".pdf");
    const std::string target = S(folder + QLatin1Char('/') + name);
    // A second name for the file, never over an existing one; then the
    // staging name goes.
    if (::link(staging.c_str(), target.c_str()) == 0) {
      ::unlink(staging.c_str());
      const int dir = ::open(pdfFolder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
      }
      pdfPath_ = QString::fromStdString(target);
      return {};
    }
    if (errno != EEXIST) return ErrorText(ErrorFromErrno(errno));
  }
  return ErrorText(kFileAlreadyExists);
}

Status QtPrinter::EnsurePage() {
  if (!jobOpen_) {
    BeginJob("");
    implicitJob_ = true;
  }
  if (painter_) {
    if (breakPending_) {
      if (!printer_->newPage()) return Status::Error(kPrinterError);
      breakPending_ = false;
      ++pdfPages_;
    }
    return Status::Ok();
  }
  if (jobFailed_) return Status::Error(kPrinterError);
  if (IsPdf() && pdfPath_.isEmpty()) {
    if (Status s = ReservePdfFile(); !s.ok()) {
      jobFailed_ = true;
      return s;
    }
  }
  printer_ = MakePrinter(current_);
  if (PageOrientation != Orientation::AsSet) {
    printer_->setPageOrientation(PageOrientation == Orientation::Landscape ? QPageLayout::Landscape
                                                                           : QPageLayout::Portrait);
  }
  printer_->setDocName(jobTitle_.empty() ? QStringLiteral("Velunor2.0") : Q(jobTitle_));
  if (IsPdf()) printer_->setOutputFileName(pdfPath_);
  painter_ = std::make_unique<QPainter>();
  if (!painter_->begin(printer_.get())) {
    painter_.reset();
    printer_.reset();
    if (IsPdf()) jobFailed_ = true;
    return Status::Error(kPrinterError);
  }
  const double dpi = printer_->resolution();
  columnPx_ = dpi * kColumnTwips / 1440.0;
  linePx_ = dpi * kLineTwips / 1440.0;
  metrics_.reset();
  ++pdfPages_;
  return Status::Ok();
}

void QtPrinter::ApplyFont() {
  if (metrics_ && fontName_ == FontName && fontSize_ == FontSize && fontBold_ == FontBold) return;
  fontName_ = FontName;
  fontSize_ = FontSize;
  fontBold_ = FontBold;
  font_ = QFont(Q(FontName.empty() ? std::string("ＭＳ ゴシック") : FontName));
  font_.setPointSizeF(FontSize > 0 ? FontSize : 10);
  font_.setBold(FontBold);
  painter_->setFont(font_);
  metrics_ = std::make_unique<QFontMetricsF>(font_, printer_.get());
}

Status QtPrinter::Print(std::string_view text) {
  if (Status s = EnsurePage(); !s.ok()) return s;
  ApplyFont();
  const QPointF at(CurrentX * columnPx_, CurrentY * linePx_ + metrics_->ascent());
  painter_->drawText(at, Q(text));
  CurrentX = 0;
  CurrentY += 1;
  return Status::Ok();
}

Status QtPrinter::PaintPicture(const PrintPicture& picture, double x, double y, double width,
                               double height) {
  QImage image;
  if (!picture.hostPath.empty()) {
    QImageReader reader(QString::fromStdString(picture.hostPath));
    reader.setAutoTransform(true);
    image = reader.read();
  } else if (!picture.Empty() &&
             picture.pixels.size() >= static_cast<std::size_t>(picture.width) *
                                          static_cast<std::size_t>(picture.height)) {
    // The caller's pixels, not copied.
    image =
        QImage(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width, picture.height,
               picture.width * 4, picture.hasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  }
  if (image.isNull()) return Status::Error(kInvalidPicture);
  if (Status s = EnsurePage(); !s.ok()) return s;
  const QRectF target(x * columnPx_, y * linePx_, width * columnPx_, height * linePx_);
  const QSize most(
      static_cast<int>(std::ceil(std::abs(width) * kColumnTwips / 1440.0 * kPictureDpi)),
      static_cast<int>(std::ceil(std::abs(height) * kLineTwips / 1440.0 * kPictureDpi)));
  if (image.width() > 2 * most.width() || image.height() > 2 * most.height()) {
    image = image.scaled(most.boundedTo(image.size()).expandedTo(QSize(1, 1)),
                         Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }
  painter_->drawImage(target, image);
  return Status::Ok();
}

Status QtPrinter::NewPage() {
  if (Status s = EnsurePage(); !s.ok()) return s;
  if (!printer_->newPage()) return Status::Error(kPrinterError);
  ++pdfPages_;
  CurrentX = 0;
  CurrentY = 0;
  return Status::Ok();
}

bool QtPrinter::CloseDocument(bool abandon) {
  if (!painter_) return true;
  if (abandon && !IsPdf()) printer_->abort();
  const bool ended = painter_->end();
  metrics_.reset();
  painter_.reset();
  printer_.reset();
  if (!ended && IsPdf()) jobFailed_ = true;
  return ended;
}

Status QtPrinter::EndDoc() {
  CurrentX = 0;
  CurrentY = 0;
  if (!painter_) return Status::Ok();
  if (IsPdf() && !implicitJob_) {
    // The next document of the command goes on a new page of the same file.
    breakPending_ = true;
    return Status::Ok();
  }
  const bool ended = CloseDocument(false);
  if (implicitJob_) return EndJob().status;
  return ended ? Status::Ok() : Status::Error(kPrinterError);
}

void QtPrinter::KillDoc() {
  CurrentX = 0;
  CurrentY = 0;
  // Nothing of a new document of the PDF printer is drawn yet: the pages
  // of the documents ended before stay.
  if (IsPdf() && breakPending_) return;
  if (IsPdf() && jobOpen_) jobFailed_ = true;
  CloseDocument(true);
}

JobResult QtPrinter::EndJob() {
  JobResult result;
  if (!jobOpen_) return result;
  if (!CloseDocument(false)) result.status = Status::Error(kPrinterError);
  if (IsPdf() && !pdfPath_.isEmpty()) {
    std::string failure = jobFailed_ ? ErrorText(kPrinterError) : std::string();
    if (failure.empty() && pdfPages_ > 0) failure = PublishPdf();
    if (failure.empty() && pdfPages_ > 0) {
      result.outputFile = S(pdfPath_);
    } else {
      QFile::remove(pdfPath_);
      if (pdfPages_ > 0) {
        result.failure = std::move(failure);
        jobFailed_ = true;
      }
    }
  }
  if (IsPdf() && result.failure.empty()) result.failure = failure_;
  if (jobFailed_) result.status = Status::Error(kPrinterError);
  failure_.clear();
  jobOpen_ = false;
  implicitJob_ = false;
  jobFailed_ = false;
  pdfPath_.clear();
  pdfPages_ = 0;
  breakPending_ = false;
  CurrentX = 0;
  CurrentY = 0;
  return result;
}

}  // namespace platform
