// Printing into the built-in PDF printer:
//   - the record list of 100,000 examinations (4,000 pages) against the floor
//     of drawing the same lines straight onto a QPdfWriter, pages per second,
//     and the peak memory of the process at 1,000 and at 4,000 pages (each
//     print in a process of its own, so that its peak is its own);
//   - one examination with a 2 MB picture: the time from the command's start
//     to the finished PDF, against the floor of decoding that JPEG once.
//
// Runs offscreen; --help for the options.
#include <sys/resource.h>
#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPdfWriter>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "bench/support/program_drive.h"
#include "bench/ecg/ecg_picture.h"
#include "bench/generator/generator.h"
#include "bench/support/floors.h"
#include "platform/file_system.h"
#include "platform/qt_printer.h"
#include "store/record_page.h"
#include "store/store.h"
#include "views/list_print.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Processor time of this process (user and system), in seconds: the figures
// of a shared machine are read from it, the wall clock is shown beside.
double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long MaxRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

constexpr const char* kAbout =
    "Times printing the record list and one examination into the PDF printer against\n"
    "drawing the same pages straight onto a PDF writer and decoding the picture once.";

// --- Child modes: one measurement each, printed as "key=value ..." ---------

// The record list, positions 1 ... records, through Dialog4's routine.
int ListChild(const fs::path& root, int records) {
  platform::PosixFileSystem files{bench::ProgramDrive(root)};
  store::Store store(files);
  if (!store.StartUp().ok() || !store.OpenWorkFile().ok()) return 1;
  sessions::ExamListSession list(store);
  platform::QtPrinter printer(root / "pdf");
  (void)printer.SetCurrentPrinter(platform::kPdfPrinterName);
  const long before = MaxRssKb();
  const Clock::time_point start = Clock::now();
  const double cpuStart = CpuSeconds();
  printer.BeginJob(views::ListPrintTitle(1, records));
  const platform::Status s = views::PrintRecordList(list, printer, 1, records);
  const platform::JobResult result = printer.EndJob();
  const double seconds = Seconds(Clock::now() - start);
  const double cpu = CpuSeconds() - cpuStart;
  if (!s.ok() || result.outputFile.empty()) return 1;
  std::printf("seconds=%.3f cpu=%.3f rss_before_kb=%ld maxrss_kb=%ld bytes=%lld\n", seconds, cpu,
              before, MaxRssKb(), static_cast<long long>(fs::file_size(result.outputFile)));
  fs::remove(result.outputFile);
  return 0;
}

// The floor: the same lines read and drawn straight onto a QPdfWriter, one
// page each 25 records, no seam, no checks.
int FloorChild(const fs::path& root, int records) {
  platform::PosixFileSystem files{bench::ProgramDrive(root)};
  store::Store store(files);
  if (!store.StartUp().ok() || !store.OpenWorkFile().ok()) return 1;
  const fs::path out = root / "floor.pdf";
  const Clock::time_point start = Clock::now();
  const double cpuStart = CpuSeconds();
  {
    QPdfWriter writer(QString::fromStdString(out.string()));
    writer.setResolution(1200);
    writer.setPageSize(QPageSize(QPageSize::A4));
    QPainter painter(&writer);
    QFont font(QStringLiteral("IPAGothic"));
    font.setPointSizeF(views::kListFontSize);
    painter.setFont(font);
    const double column = 100, line = 200, ascent = QFontMetricsF(font, &writer).ascent();
    const int offsets[] = {0, 10, 20, 30, 43, 53, 63, 73};
    const store::ExamField fields[] = {store::ExamField::RecordNo,   store::ExamField::ExamDate,
                                       store::ExamField::PatientId,  store::ExamField::Name,
                                       store::ExamField::Sex,        store::ExamField::Age,
                                       store::ExamField::Department, store::ExamField::HeartRate};
    store::ExamRecord row;
    for (int p = 1; p <= records; ++p) {
      if ((p - 1) % 25 == 0) {
        if (p > 1) writer.newPage();
        painter.drawText(QPointF(31 * column, 2 * line + ascent),
                         QStringLiteral("**********心電図ファイルリスト**********"));
        painter.drawText(QPointF(1 * column, 3 * line + ascent),
                         QStringLiteral("Page=%1").arg((p - 1) / 25 + 1));
        for (int i = 0; i < 8; ++i) {
          painter.drawText(QPointF((1 + offsets[i]) * column, 5 * line + ascent),
                           QStringLiteral("(見出し)"));
        }
      }
      if (!store.WorkFile()->Read(p, row).ok()) return 1;
      const double y = (7 + 2 * ((p - 1) % 25)) * line + ascent;
      for (int i = 0; i < 8; ++i) {
        painter.drawText(QPointF((1 + offsets[i]) * column, y),
                         QString::fromStdString(row.Get(fields[i])));
      }
    }
  }
  const double seconds = Seconds(Clock::now() - start);
  const double cpu = CpuSeconds() - cpuStart;
  std::printf("seconds=%.3f cpu=%.3f maxrss_kb=%ld\n", seconds, cpu, MaxRssKb());
  fs::remove(out);
  return 0;
}

// One examination with the picture file `jpeg`, as 印刷 prints it: the
// picture on screen handed over, the page laid out, the PDF finished.
int ExamChild(const fs::path& root, const fs::path& jpeg) {
  platform::PosixFileSystem files{bench::ProgramDrive(root)};
  store::Store store(files);
  if (!store.StartUp().ok()) return 1;

  // Floor: decoding the JPEG once (what showing it on screen cost already).
  double cpuStart = CpuSeconds();
  Clock::time_point start = Clock::now();
  const QImage onScreen = QImageReader(QString::fromStdString(jpeg.string())).read();
  const double decode = Seconds(Clock::now() - start);
  const double decodeCpu = CpuSeconds() - cpuStart;
  if (onScreen.isNull()) return 1;

  platform::QtPrinter printer(root / "pdf");
  (void)printer.SetCurrentPrinter(platform::kPdfPrinterName);
  start = Clock::now();
  cpuStart = CpuSeconds();
  store::ExamRecord exam;
  if (!store.ReadExamination(1, exam).ok()) return 1;
  store::RecordPage page;
  page.examDate = exam.Get(store::ExamField::ExamDate);
  page.patientId = exam.Get(store::ExamField::PatientId);
  page.name = exam.Get(store::ExamField::Name);
  page.commentText = store::CommentText(exam.Get(store::ExamField::Comment));
  page.picture = platform::PictureFromImage(onScreen);
  printer.BeginJob("bench");
  store::PrintRecordPage(printer, page);
  const platform::JobResult result = printer.EndJob();
  const double seconds = Seconds(Clock::now() - start);
  const double cpu = CpuSeconds() - cpuStart;
  if (result.outputFile.empty()) return 1;
  std::printf("seconds=%.3f cpu=%.3f decode=%.3f decode_cpu=%.3f bytes=%lld maxrss_kb=%ld\n",
              seconds, cpu, decode, decodeCpu,
              static_cast<long long>(fs::file_size(result.outputFile)), MaxRssKb());
  return 0;
}

// --- The parent: data, children, figures ------------------------------------

double Field(const std::string& line, const char* key) {
  const std::size_t at = line.find(std::string(key) + "=");
  return at == std::string::npos ? -1 : std::atof(line.c_str() + at + std::strlen(key) + 1);
}

std::string RunChild(const char* self, const std::string& args) {
  const std::string command = std::string("'") + self + "' " + args;
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string out;
  char buffer[512];
  while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
  if (pipe == nullptr || ::pclose(pipe) != 0) {
    std::fprintf(stderr, "child failed: %s\n", command.c_str());
    std::exit(1);
  }
  return out;
}

// A JPEG of about `bytes` bytes: an ECG picture as a large scan.
fs::path WriteLargeJpeg(const fs::path& folder, std::size_t bytes) {
  const fs::path file = folder / "large.jpg";
  int width = 2400;
  for (int attempt = 0; attempt < 8; ++attempt) {
    const int height = width * 548 / 800;
    const QImage picture = bench::EcgPicture(7, QStringLiteral("E0000001"), width, height);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPG", 92);
    if (static_cast<std::size_t>(data.size()) >= bytes || attempt == 7) {
      QFile out(QString::fromStdString(file.string()));
      out.open(QIODevice::WriteOnly);
      out.write(data);
      return file;
    }
    width = static_cast<int>(width * std::sqrt(static_cast<double>(bytes) / data.size()) * 1.05);
  }
  return file;
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Qt's notes about the environment are no figures.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg && !message.contains(QStringLiteral("XDG_"))) {
      std::fprintf(stderr, "%s\n", qPrintable(message));
    }
  });
  QGuiApplication app(argc, argv);
  if (argc >= 4 && std::string(argv[1]) == "--list") return ListChild(argv[2], std::atoi(argv[3]));
  if (argc >= 4 && std::string(argv[1]) == "--floor") {
    return FloorChild(argv[2], std::atoi(argv[3]));
  }
  if (argc >= 4 && std::string(argv[1]) == "--exam") return ExamChild(argv[2], argv[3]);

  const bench::Options options = bench::ParseOptions(argc, argv, kAbout);
  const int exams = options.Records(100000);
  const fs::path root = bench::FreshFolder(options.parent, "velunor-print-bench");
  bench::PrintLoad();
  bench::DriveSize size;
  size.exams = exams;
  size.patients = std::min(exams, 20000);
  bench::GenerateDrive(root, size);
  fs::copy_file(root / "VLN2" / "VLN2.ekg", root / "VLN2" / "TEMP.DATA");
  std::printf("print benchmark, %d examinations in the working file\n", exams);

  std::printf("\nrecord list into the PDF printer (each run a process of its own)\n");
  std::printf("  pages/s and the ratio to the floor from processor time (wall seconds beside)\n");
  std::printf("  %6s %8s %8s %10s %10s %8s %12s %10s\n", "pages", "wall s", "cpu s", "pages/s",
              "floor p/s", "ratio", "maxrss MB", "floor MB");
  const std::vector<int> pageCounts =
      options.tiny ? std::vector<int>{2} : std::vector<int>{1000, 4000};
  for (int pages : pageCounts) {
    const int records = std::min(exams, pages * views::kListRecordsPerPage);
    const int printed = views::ListPageCount(records);
    const std::string list =
        RunChild(argv[0], "--list '" + root.string() + "' " + std::to_string(records));
    const std::string floor =
        RunChild(argv[0], "--floor '" + root.string() + "' " + std::to_string(records));
    bench::Runs listCpu, floorCpuRuns;
    listCpu.Add(Field(list, "cpu"));
    floorCpuRuns.Add(Field(floor, "cpu"));
    for (int run = 1; run < options.runs; ++run) {
      const std::string args = " '" + root.string() + "' " + std::to_string(records);
      floorCpuRuns.Add(Field(RunChild(argv[0], "--floor" + args), "cpu"));
      listCpu.Add(Field(RunChild(argv[0], "--list" + args), "cpu"));
    }
    const double cpu = Field(list, "cpu"), floorCpu = Field(floor, "cpu");
    std::printf("  %6d %8.2f %8.2f %10.0f %10.0f %8.2f %12.1f %10.1f\n", printed,
                Field(list, "seconds"), cpu, printed / cpu, printed / floorCpu, cpu / floorCpu,
                Field(list, "maxrss_kb") / 1024, Field(floor, "maxrss_kb") / 1024);
    std::printf("         (PDF %.1f MB; resident before printing %.1f MB)\n",
                Field(list, "bytes") / 1e6, Field(list, "rss_before_kb") / 1024);
    const std::string what = "record list, " + std::to_string(printed) + " pages (cpu)";
    bench::PrintRatio(what.c_str(), listCpu, floorCpuRuns, "<= 1.2");
  }

  const fs::path jpeg = WriteLargeJpeg(root, options.tiny ? 100 * 1000 : 2 * 1000 * 1000);
  const QImage probe(QString::fromStdString(jpeg.string()));
  std::printf("\none examination with a %.2f MB picture (%dx%d)\n",
              static_cast<double>(fs::file_size(jpeg)) / 1e6, probe.width(), probe.height());
  std::string best;
  bench::Runs examCpu, decodeCpu;
  for (int i = 0; i < options.runs; ++i) {
    const std::string exam =
        RunChild(argv[0], "--exam '" + root.string() + "' '" + jpeg.string() + "'");
    examCpu.Add(Field(exam, "cpu"));
    decodeCpu.Add(Field(exam, "decode_cpu"));
    if (best.empty() || Field(exam, "cpu") < Field(best, "cpu")) best = exam;
  }
  std::printf("  to the finished PDF %.0f ms processor time (%.0f ms wall), best of %d\n",
              Field(best, "cpu") * 1000, Field(best, "seconds") * 1000, options.runs);
  std::printf("  decoding the JPEG once (floor) %.0f ms processor time (%.0f ms wall)\n",
              Field(best, "decode_cpu") * 1000, Field(best, "decode") * 1000);
  std::printf("  ratio %.2f; PDF %.2f MB; peak memory %.1f MB\n",
              Field(best, "cpu") / Field(best, "decode_cpu"), Field(best, "bytes") / 1e6,
              Field(best, "maxrss_kb") / 1024);
  bench::PrintRatio("examination to PDF (processor time)", examCpu, decodeCpu, "none");
  bench::PrintLoad();

  std::error_code ec;
  fs::remove_all(root, ec);  // the fresh folder made above
  return 0;
}
