// The image list over a large data file: drawing a page of six pictures and
// stepping to the next, against decoding six of the same pictures at full
// size (the floor), and the memory held while paging through 200 pages.
//
// 100,000 examinations (--records), one in ten with a picture of about 2 MB:
// the walk skips nine records for every picture. The
// picture files are hard links to one JPEG, so the disk holds it once; the
// walk lists the folder's 10,000 names and each drawn cell reads its 2 MB
// file through the store's file system (from the page cache, as on a
// machine that has shown the list before) and decodes it.
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/support/program_drive.h"
#include "bench/ecg/ecg_picture.h"
#include "bench/generator/generator.h"
#include "bench/support/floors.h"
#include "platform/file_system.h"
#include "platform/pictures.h"
#include "platform/thumbnails.h"
#include "store/image_pages.h"
#include "store/store.h"
#include "views/images/image_list.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

long RssKb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

constexpr const char* kAbout =
    "Times the image list's pages against decoding the same pictures on as many threads,\n"
    "and the memory held while paging.";

// A JPEG of about `bytes` bytes: an ECG recording as a large scan.
QByteArray LargeJpeg(std::size_t bytes, QSize& size) {
  int width = bytes < 1000000 ? 800 : 2400;
  QByteArray data;
  for (int attempt = 0; attempt < 8; ++attempt) {
    const int height = width * 548 / 800;
    const QImage picture = bench::EcgPicture(7, QStringLiteral("E0000001"), width, height);
    data.clear();
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPG", 92);
    size = picture.size();
    if (static_cast<std::size_t>(data.size()) >= bytes) break;
    width = static_cast<int>(width * std::sqrt(static_cast<double>(bytes) / data.size()) * 1.05);
  }
  return data;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// A platform::Ui that answers every box with OK and counts them.
class QuietUi : public platform::Ui {
 public:
  int MsgBox(std::string_view, int = platform::kOkOnly,
             std::string_view = platform::kAppTitle) override {
    ++boxes;
    return platform::kAnswerOk;
  }
  void DoEvents() override {}
  void SetBusyCursor(bool) override {}
  int boxes = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg && !message.contains(QStringLiteral("XDG_"))) {
      std::fprintf(stderr, "%s\n", qPrintable(message));
    }
  });
  const bench::Options options = bench::ParseOptions(argc, argv, kAbout);
  QApplication app(argc, argv);
  // A tiny run still pages through more pictures than it draws.
  const int exams = options.tiny && options.records == 0 ? 3000 : options.Records(100000);
  const std::size_t pictureBytes = options.tiny ? 200000 : 2000000;
  constexpr int kEvery = 10;
  const int kSteps = options.tiny ? 10 : 200;

  const fs::path root = bench::FreshFolder(options.parent, "velunor-images-bench");
  bench::DriveSize size;
  size.exams = exams;
  size.patients = std::min(exams, 20000);
  const std::vector<std::string> names = bench::GenerateDrive(root, size);
  QSize full;
  const QByteArray jpeg = LargeJpeg(pictureBytes, full);
  const fs::path gazou = root / "VLN2" / "GAZOU";
  fs::create_directories(gazou);
  const fs::path original = root / "original.jpg";
  {
    QFile out(QString::fromStdString(original.string()));
    out.open(QIODevice::WriteOnly);
    out.write(jpeg);
  }
  int pictures = 0;
  for (int n = kEvery; n <= exams; n += kEvery) {
    fs::create_hard_link(original, gazou / (names[n - 1] + ".jpg"));
    ++pictures;
  }
  std::printf("examinations=%d pictures=%d (every %dth) picture=%lld bytes %dx%d\n", exams,
              pictures, kEvery, static_cast<long long>(jpeg.size()), full.width(), full.height());

  // Floor: six of the pictures read from their files and decoded at full
  // size, on as many threads as a page decodes them with (one a core).
  const std::size_t workers =
      std::min<std::size_t>(6, std::max(1u, std::thread::hardware_concurrency()));
  auto floorPage = [&] {
    std::vector<QByteArray> bytes(6);
    for (int i = 1; i <= 6; ++i) {
      QFile file(QString::fromStdString((gazou / (names[i * kEvery - 1] + ".jpg")).string()));
      file.open(QIODevice::ReadOnly);
      bytes[static_cast<std::size_t>(i - 1)] = file.readAll();
    }
    auto decode = [&](std::size_t w) {
      for (std::size_t i = w; i < bytes.size(); i += workers) {
        QBuffer buffer(&bytes[i]);
        buffer.open(QIODevice::ReadOnly);
        bench::Check(!QImageReader(&buffer).read().isNull(), "decode");
      }
    };
    std::vector<std::thread> threads;
    for (std::size_t w = 1; w < workers; ++w) threads.emplace_back(decode, w);
    decode(0);
    for (std::thread& t : threads) t.join();
  };
  std::vector<double> floors;
  for (int round = 0; round < options.runs; ++round) {
    floors.push_back(bench::Seconds(floorPage) * 1e3);
  }
  const double floor = Median(floors);

  platform::PosixFileSystem files{bench::ProgramDrive(root)};
  // One picture decoded at a cell's size, as a cell draws it.
  std::vector<double> scaled;
  for (int round = 0; round < 12; ++round) {
    const Clock::time_point start = Clock::now();
    const QImage cellPicture = platform::ReadPictureScaled(
        files, "C:\\VLN2\\GAZOU\\" + names[kEvery - 1] + ".jpg", QSize(321, 161));
    if (cellPicture.isNull()) return 1;
    scaled.push_back(Ms(Clock::now() - start));
  }
  store::Store store(files);
  if (!store.StartUp().ok()) return 1;

  // The walk alone: the records read and the folder listed, nothing decoded.
  std::vector<double> walks;
  {
    std::int32_t start = 1;
    std::vector<store::ImageCell> cells;
    for (int i = 0; i < 50; ++i) {
      const Clock::time_point t0 = Clock::now();
      if (!store::WalkImagePage(store, start, cells).ok()) return 1;
      walks.push_back(Ms(Clock::now() - t0));
      start += 1;
    }
  }

  QuietUi ui;
  sessions::ImageListSession session(store);
  Form8 form(store, session, ui);
  const Clock::time_point openStart = Clock::now();
  form.Open();
  const double open = Ms(Clock::now() - openStart);
  QApplication::processEvents();
  const long rssStart = RssKb();

  std::vector<double> steps;
  long rss50 = 0, rss100 = 0;
  for (int i = 1; i <= kSteps; ++i) {
    const Clock::time_point t0 = Clock::now();
    form.Command1_Click();
    steps.push_back(Ms(Clock::now() - t0));
    QApplication::processEvents();
    if (i == 50) rss50 = RssKb();
    if (i == 100) rss100 = RssKb();
  }
  const long rssEnd = RssKb();
  // The drawing alone, without the window's own steps around it.
  std::vector<double> bare;
  for (int i = 0; i < (options.tiny ? 5 : 30); ++i) {
    const Clock::time_point t0 = Clock::now();
    const sessions::ImagePageOutcome page = session.Next();
    if (!page.Silent() && page.draw) return 1;
    store::ClearImageCells(form);
    store::ShowImagePage(store.Files(), form, page.cells);
    bare.push_back(Ms(Clock::now() - t0));
  }
  std::printf("ShowImagePage alone: median %.1f ms\n", Median(bare));
  // Next pages against the floor, alternating, each against the floor of its
  // own round.
  bench::Runs pageRuns, floorRuns;
  for (int round = 0; round < options.runs; ++round) {
    floorRuns.Add(bench::Seconds(floorPage));
    pageRuns.Add(bench::Seconds([&] {
      form.Command1_Click();
      QApplication::processEvents();
    }));
  }
  const bool filled = !form.Image1[5]->pixmap().isNull();
  const QSize cell = form.Image1[0]->pixmap().size();

  std::printf("floor: six pictures decoded at full size on %zu threads %8.1f ms\n", workers, floor);
  std::printf("one picture decoded at a cell's size            %8.1f ms (median of 12)\n",
              Median(scaled));
  std::printf("walk of one page (60 records, folder listed)   %8.1f ms (median of 50)\n",
              Median(walks));
  std::printf("first page drawn (open)                        %8.1f ms  ratio %.2f\n", open,
              open / floor);
  std::printf("next page drawn: median %.1f ms, max %.1f ms    ratio %.2f (median / floor)\n",
              Median(steps), *std::max_element(steps.begin(), steps.end()), Median(steps) / floor);
  std::printf("cells decoded at %dx%d; last page full: %s; position %d after %d steps\n",
              cell.width(), cell.height(), filled ? "yes" : "no", session.SearchStart(), kSteps);
  std::printf("RSS: after first page %ld KB, step 50 %ld KB, step 100 %ld KB, step 200 %ld KB\n",
              rssStart, rss50, rss100, rssEnd);
  bench::PrintRatio("next page drawn", pageRuns, floorRuns, "the decode floor");
  std::printf("boxes shown: %d\n", ui.boxes);

  // The next page with the thumbnails present: 30 pages shown once (their
  // thumbnails made), then shown again in 5 runs. Floors with the same
  // threads: the six pictures decoded at a cell's size side by side as a
  // page decodes them, and the six thumbnail files read and decoded on one
  // thread as a page reads them.
  {
    const int thumbPages = options.tiny ? 1 : 30;
    const int thumbRuns = options.tiny ? 2 : std::max(options.runs, 5);
    platform::ThumbnailCache cache(root / "thumbnails");
    form.thumbnails = &cache;
    const QSize box = form.CellBox;
    const auto startAt = [&](int record) {
      form.Slider1->setValue(record);
      form.Slider1_Click();
    };
    startAt(1);
    for (int i = 0; i < thumbPages; ++i) form.Command1_Click();
    cache.WaitForStores();
    std::vector<double> thumbSteps;
    for (int run = 0; run < thumbRuns; ++run) {
      startAt(1);
      QApplication::processEvents();
      for (int i = 0; i < thumbPages; ++i) {
        const Clock::time_point t0 = Clock::now();
        form.Command1_Click();
        thumbSteps.push_back(Ms(Clock::now() - t0));
        QApplication::processEvents();
      }
    }
    std::vector<std::string> six;
    for (int i = 1; i <= 6; ++i)
      six.push_back("C:\\VLN2\\GAZOU\\" + names[i * kEvery - 1] + ".jpg");
    std::vector<double> decodeFloor, thumbFloor;
    for (int run = 0; run < thumbRuns; ++run) {
      Clock::time_point t0 = Clock::now();
      std::vector<std::string> bytes(6);
      for (int i = 0; i < 6; ++i) (void)files.ReadFile(six[i], bytes[i]);
      const unsigned workers = std::max(1u, std::min(6u, std::thread::hardware_concurrency()));
      std::vector<std::thread> threads;
      for (unsigned w = 0; w < workers; ++w) {
        threads.emplace_back([&, w] {
          for (unsigned i = w; i < 6; i += workers)
            (void)platform::DecodePictureScaled(bytes[i], box);
        });
      }
      for (std::thread& t : threads) t.join();
      decodeFloor.push_back(Ms(Clock::now() - t0));
      t0 = Clock::now();
      for (int i = 0; i < 6; ++i) {
        platform::PictureStamp stamp;
        if (!platform::StampOf(files.HostPath(six[i]), stamp)) return 1;
        QFile file(QString::fromStdString(cache.FileFor(stamp, box).string()));
        if (!file.open(QIODevice::ReadOnly)) return 1;
        QByteArray data = file.readAll();
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        if (QImageReader(&buffer, "jpeg").read().isNull()) return 1;
      }
      thumbFloor.push_back(Ms(Clock::now() - t0));
    }
    const auto [minStep, maxStep] = std::minmax_element(thumbSteps.begin(), thumbSteps.end());
    const double medianStep = Median(thumbSteps);
    std::printf(
        "next page with thumbnails (%d runs x %d pages): min %.2f ms, median %.2f ms, "
        "max %.2f ms; goal < 30 ms: %s\n",
        thumbRuns, thumbPages, *minStep, medianStep, *maxStep, medianStep < 30 ? "met" : "MISSED");
    std::printf(
        "  floor: six pictures decoded at %dx%d on %u threads: min %.2f ms, median %.2f ms; "
        "ratio %.3f\n",
        box.width(), box.height(), std::max(1u, std::min(6u, std::thread::hardware_concurrency())),
        *std::min_element(decodeFloor.begin(), decodeFloor.end()), Median(decodeFloor),
        medianStep / Median(decodeFloor));
    std::printf(
        "  floor: six thumbnail files read and decoded on one thread: min %.2f ms, median "
        "%.2f ms; ratio %.2f\n",
        *std::min_element(thumbFloor.begin(), thumbFloor.end()), Median(thumbFloor),
        medianStep / Median(thumbFloor));
    form.thumbnails = nullptr;
  }
  bench::PrintLoad();
  store.CloseAllFiles();
  std::error_code ec;
  fs::remove_all(root, ec);  // the fresh folder made above
  return ui.boxes == 0 ? 0 : 1;
}
