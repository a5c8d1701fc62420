// Start-up of the main window on a 100,000-examination drive against the
// same start-up on an empty drive, and one next-record step against its
// floor (reading the record and decoding its picture, without a window).
//
// Runs under any Qt platform, offscreen when none is set; --help for the
// options.
#include <unistd.h>
#include <QApplication>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "bench/support/program_drive.h"
#include "bench/ecg/ecg_picture.h"
#include "bench/generator/generator.h"
#include "bench/support/floors.h"
#include "forms/record_transfer.h"
#include "mainwin/main_window.h"
#include "platform/file_system.h"
#include "platform/pictures.h"
#include "store/image_files.h"
#include "store/store.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

constexpr const char* kAbout =
    "Times the main window's start-up on a full drive against an empty one, and its\n"
    "next-record step against reading the record and decoding its picture.";

// A Ui that answers every box with OK and counts them: the runs expect none.
class CountingUi : public platform::Ui {
 public:
  int MsgBox(std::string_view prompt, int, std::string_view) override {
    ++boxes;
    std::fprintf(stderr, "unexpected box: %.*s\n", static_cast<int>(prompt.size()), prompt.data());
    return platform::kAnswerOk;
  }
  void DoEvents() override { QApplication::processEvents(); }
  void SetBusyCursor(bool) override {}
  int boxes = 0;
};

// Start-up to the first shown form: the window built, Form_Load (store
// start, form cleared and filled, last record and its picture shown) and the
// window exposed on the screen.
double StartUpMs(const std::filesystem::path& root, CountingUi& ui) {
  platform::PosixFileSystem fs{bench::ProgramDrive(root)};
  store::Store store(fs);
  const Clock::time_point start = Clock::now();
  sessions::ExamFormSession session(store);
  Form1 form(store, session, ui);
  form.Form_Load();
  while (!(form.windowHandle() && form.windowHandle()->isExposed())) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  QApplication::processEvents();
  const double ms = Ms(Clock::now() - start);
  store.CloseAllFiles();
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // The offscreen platform's notes about window hints are no figures.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg &&
        !message.contains(QStringLiteral("plugin does not support"))) {
      std::fprintf(stderr, "%s\n", qPrintable(message));
    }
  });
  const bench::Options options = bench::ParseOptions(argc, argv, kAbout);
  QApplication app(argc, argv);
  const int exams = options.Records(100000);
  constexpr int kPictures = 64;  // the last examinations have their pictures

  const std::filesystem::path root = bench::FreshFolder(options.parent, "velunor-mainwin-bench");
  const std::filesystem::path emptyRoot = root / "empty";
  const std::filesystem::path fullRoot = root / "full";
  std::filesystem::create_directories(emptyRoot);
  bench::DriveSize size;
  size.exams = exams;
  size.patients = std::min(exams, 20000);
  const std::vector<std::string> names = bench::GenerateDrive(fullRoot, size);
  std::filesystem::create_directories(fullRoot / "VLN2" / "GAZOU");
  for (int n = std::max(0, exams - kPictures); n < exams; ++n) {
    const std::filesystem::path file =
        fullRoot / "VLN2" / "GAZOU" / (names[static_cast<std::size_t>(n)] + ".jpg");
    bench::WriteEcgJpeg(QString::fromStdString(file.string()), static_cast<std::uint32_t>(n + 1),
                        QString::fromStdString(names[static_cast<std::size_t>(n)]));
  }
  std::printf("main window, %d examinations (%.1f MB data file), pictures %dx%d\n", exams,
              static_cast<double>(std::filesystem::file_size(fullRoot / "VLN2" / "VLN2.ekg")) / 1e6,
              800, 548);

  CountingUi ui;
  // Start-up, empty and full alternating, after one warm-up run of each.
  (void)StartUpMs(emptyRoot, ui);
  (void)StartUpMs(fullRoot, ui);
  std::vector<double> empty, full;
  for (int i = 0; i < std::max(options.runs, 5); ++i) {
    empty.push_back(StartUpMs(emptyRoot, ui));
    full.push_back(StartUpMs(fullRoot, ui));
  }
  const double emptyMs = Median(empty), fullMs = Median(full);
  std::printf("start-up to the shown form: empty drive %.1f ms (floor), full drive %.1f ms\n",
              emptyMs, fullMs);
  std::printf("  full / empty = %.2f; full drive costs %+.1f ms over the empty one (goal < 100)\n",
              fullMs / emptyMs, fullMs - emptyMs);

  // One next-record step over the last examinations.
  platform::PosixFileSystem fs{bench::ProgramDrive(fullRoot)};
  store::Store store(fs);
  sessions::ExamFormSession session(store);
  Form1 form(store, session, ui);
  form.Form_Load();
  QApplication::processEvents();
  const int first = std::max(1, exams - kPictures + 1);
  std::vector<double> steps;
  bench::Runs stepRuns, floorRuns;
  for (int round = 0; round < options.runs; ++round) {
    const auto roundStart = Clock::now();
    form.ShowExamination(first);
    for (int x = first; x < exams; ++x) {
      const Clock::time_point t = Clock::now();
      form.ShowNextRecord();
      QApplication::processEvents();  // the form repainted
      steps.push_back(Ms(Clock::now() - t));
    }
    stepRuns.Add(std::chrono::duration<double>(Clock::now() - roundStart).count());
  }
  // Floor: the same records read and their pictures decoded, no window.
  std::vector<double> floors;
  for (int round = 0; round < options.runs; ++round) {
    const auto roundStart = Clock::now();
    for (int x = first + 1; x <= exams; ++x) {
      const Clock::time_point t = Clock::now();
      store::ExamRecord record;
      if (!store.ReadExamination(x, record).ok()) return 1;
      const std::string name = record.Get(store::ExamField::ImageName);
      QImageReader reader(QString::fromStdString(
          fs.HostPath(std::string(store::kImageDir) + name + ".jpg").string()));
      const QImage picture = reader.read();
      if (picture.isNull()) return 1;
      floors.push_back(Ms(Clock::now() - t));
    }
    floorRuns.Add(std::chrono::duration<double>(Clock::now() - roundStart).count());
  }
  // Floor at the size shown: the same, the picture decoded at the size of
  // the picture box by the decoder the window uses.
  const QSize box =
      (QSizeF(form.Image1->contentsRect().size()) * form.Image1->devicePixelRatioF()).toSize();
  std::vector<double> shownFloors;
  bench::Runs shownRuns;
  for (int round = 0; round < options.runs; ++round) {
    const auto roundStart = Clock::now();
    for (int x = first + 1; x <= exams; ++x) {
      const Clock::time_point t = Clock::now();
      store::ExamRecord record;
      if (!store.ReadExamination(x, record).ok()) return 1;
      const std::string path =
          std::string(store::kImageDir) + record.Get(store::ExamField::ImageName) + ".jpg";
      if (platform::ReadPictureScaled(fs, path, box).isNull()) return 1;
      shownFloors.push_back(Ms(Clock::now() - t));
    }
    shownRuns.Add(std::chrono::duration<double>(Clock::now() - roundStart).count());
  }
  const double stepMs = Median(steps), floorMs = Median(floors);
  const double shownMs = Median(shownFloors);
  std::printf(
      "next-record step over %zu steps: min %.2f ms, median %.2f ms; floor at the size "
      "shown (%dx%d): min %.2f ms, median %.2f ms; step / floor = %.2f (goal <= 2)\n",
      steps.size(), *std::min_element(steps.begin(), steps.end()), stepMs, box.width(),
      box.height(), *std::min_element(shownFloors.begin(), shownFloors.end()), shownMs,
      stepMs / shownMs);
  {
    std::vector<double> a, b, c;
    for (int x = first; x < exams; ++x) {
      Clock::time_point t = Clock::now();
      store::ExamRecord record;
      (void)store.ReadExamination(x, record);
      store::ClearRecordFormForInput(store, form, store.RecordCount());
      a.push_back(Ms(Clock::now() - t));
      t = Clock::now();
      store::ShowCurrentRecord(record, form);
      (void)store::ShowRecordPicture(
          fs, ui,
          std::string(store::kImageDir) +
              store::FindImageFile(fs, record.Get(store::ExamField::ImageName)),
          form);
      b.push_back(Ms(Clock::now() - t));
      t = Clock::now();
      QApplication::processEvents();
      c.push_back(Ms(Clock::now() - t));
    }
    std::printf(
        "  of a step: clear + fill the lists %.2f ms, show the record %.2f ms, repaint %.2f ms\n",
        Median(a), Median(b), Median(c));
  }
  std::printf(
      "next-record step: %.2f ms (goal < 10); floor (read + decode the picture) %.2f ms;"
      " step / floor = %.2f\n",
      stepMs, floorMs, stepMs / floorMs);
  bench::PrintRatio("steps / whole-picture decode", stepRuns, floorRuns, "none");
  bench::PrintRatio("steps / decode at the size shown", stepRuns, shownRuns, "<= 2");
  std::printf("message boxes: %d (expected 0)\n", ui.boxes);
  bench::PrintLoad();

  store.CloseAllFiles();
  std::error_code ec;
  std::filesystem::remove_all(root, ec);  // the fresh folder made above
  return ui.boxes == 0 ? 0 : 1;
}
