// The comparison window over a large data file: opening it for a patient
// with 50 examinations (the index lookup, the two records and their pictures
// decoded at the size shown) and one step of a pane, against decoding the
// same two pictures at full size in the same run (the floor).
//
// Usage: compare_bench [folder] [examinations] [picture bytes]
// The drive is made in a fresh folder under `folder` (default: the
// temporary folder) and removed afterwards. 100,000 examinations; 50 of them,
// spread over the file, are one patient's, each with a picture of about
// 2 MB (hard links to one JPEG, read from the page cache as on a machine
// that showed them before).
#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QListWidget>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/ecg/ecg_picture.h"
#include "bench/generator/generator.h"
#include "bench/support/floors.h"
#include "platform/file_system.h"
#include "sessions/compare_session.h"
#include "store/store.h"
#include "views/compare/compare_picture.h"
#include "views/compare/compare_window.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPatientExams = 50;
constexpr const char* kPatient = "999999";

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

double Min(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

class QuietUi : public platform::Ui {
 public:
  int MsgBox(std::string_view, int = platform::kOkOnly,
             std::string_view = platform::kAppTitle) override {
    return platform::kAnswerOk;
  }
  void DoEvents() override {}
  void SetBusyCursor(bool) override {}
};

QByteArray Jpeg(std::size_t bytes, QSize& size) {
  int width = 2400;
  QByteArray data;
  for (int attempt = 0; attempt < 8; ++attempt) {
    const QImage picture =
        bench::EcgPicture(7, QStringLiteral("E0000001"), width, width * 548 / 800);
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

void Report(const char* what, const std::vector<double>& ms, double floor) {
  std::printf("%-46s runs %3zu  min %7.2f ms  median %7.2f ms  ratio %.2f\n", what, ms.size(),
              Min(ms), Median(ms), Median(ms) / floor);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
    std::printf(
        "compare_bench [folder] [examinations=100000] [picture bytes=2000000]\n"
        "Times opening the comparison window for a patient with 50 examinations and one\n"
        "step of a pane, against decoding two pictures at full size. Works in a fresh\n"
        "folder under `folder` (default: the temporary folder) and removes it.\n");
    return 0;
  }
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg && !message.contains(QStringLiteral("XDG_")) &&
        !message.contains(QStringLiteral("propagateSizeHints"))) {
      std::fprintf(stderr, "%s\n", qPrintable(message));
    }
  });
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  const fs::path root = bench::WorkFolder(argc, argv, "velunor-compare-bench");
  const int exams = argc > 2 ? std::atoi(argv[2]) : 100000;
  const std::size_t pictureBytes = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 2000000;

  bench::DriveSize size;
  size.exams = exams;
  size.patients = std::min(exams, 20000);
  const std::vector<std::string> names = bench::GenerateDrive(root, size);
  QSize full;
  const QByteArray jpeg = Jpeg(pictureBytes, full);
  const fs::path original = root / "original.jpg";
  {
    QFile out(QString::fromStdString(original.string()));
    bench::Check(out.open(QIODevice::WriteOnly) && out.write(jpeg) == jpeg.size(), "write jpeg");
  }
  const fs::path gazou = root / "VLN2" / "GAZOU";
  fs::create_directories(gazou);

  platform::PosixFileSystem files{platform::DataDrive(root)};
  std::vector<int> records;  // the patient's, spread over the file
  {
    store::Store store(files);
    bench::Check(store.StartUp().ok(), "start");
    for (int k = 0; k < kPatientExams; ++k) {
      const int n = 1 + static_cast<int>(static_cast<long long>(k) * (exams - 1) / kPatientExams);
      store::ExamRecord r;
      bench::Check(store.ReadExamination(n, r).ok(), "read");
      r.Set(store::ExamField::PatientId, kPatient);
      bench::Check(store.DataFile()->Write(n, r).ok(), "write");
      fs::create_hard_link(original, gazou / (names[n - 1] + ".jpg"));
      records.push_back(n);
    }
    store.CloseAllFiles();
  }
  std::printf("examinations=%d, the patient's=%d, picture=%lld bytes %dx%d\n", exams, kPatientExams,
              static_cast<long long>(jpeg.size()), full.width(), full.height());

  // Floor: the two pictures decoded at full size.
  std::vector<double> floors;
  for (int round = 0; round < 9; ++round) {
    floors.push_back(1000 * bench::Seconds([&] {
                       for (int i : {records.back(), records[records.size() - 2]}) {
                         QFile file(
                             QString::fromStdString((gazou / (names[i - 1] + ".jpg")).string()));
                         bench::Check(file.open(QIODevice::ReadOnly), "open picture");
                         QByteArray bytes = file.readAll();
                         QBuffer buffer(&bytes);
                         buffer.open(QIODevice::ReadOnly);
                         bench::Check(!QImageReader(&buffer).read().isNull(), "decode");
                       }
                     }));
  }
  const double floor = Median(floors);

  store::Store store(files);
  std::vector<double> builds;
  bench::Check(store.StartUp().ok(), "start");
  for (int round = 0; round < 5; ++round) {
    builds.push_back(1000 * bench::Seconds([&] {
                       bench::Check(store.ExamsByPatient().Build(store.DataFile()).ok(), "index");
                     }));
  }
  QuietUi ui;
  sessions::CompareSession session(store);
  std::vector<double> lookups;
  for (int round = 0; round < 20; ++round) {
    lookups.push_back(1000 * bench::Seconds([&] {
                        bench::Check(session.Open(records.back()).opened, "session open");
                      }));
  }

  CompareWindow window(store, session, ui, nullptr, {});
  window.setGeometry(0, 0, 1366, 768);
  window.show();
  QApplication::processEvents();
  std::vector<double> opens, strips, steps;
  for (int round = 0; round < 9; ++round) {
    const int shown = records[records.size() - 1 - round % 3];
    opens.push_back(1000 * bench::Seconds([&] { bench::Check(window.Open(shown), "open"); }));
    strips.push_back(1000 * bench::Seconds([&] {
                       while (window.LoadStripPictures(1)) {
                       }
                     }));
    QApplication::processEvents();
    for (int i = 0; i < 4; ++i) {
      steps.push_back(1000 * bench::Seconds([&] {
                        window.panes[sessions::CompareSession::kLeft].back->click();
                      }));
    }
  }
  const QSize shownAt = window.panes[0].picture->Picture().size();

  std::printf("floor: two pictures decoded at full size   %7.1f ms (median of %zu)\n", floor,
              floors.size());
  Report("index built at start (one sequential read)", builds, floor);
  Report("session: the patient's 50, two records read", lookups, floor);
  Report("window opened: session + two pictures shown", opens, floor);
  Report("a step of a pane (record read, picture shown)", steps, floor);
  Report("strip: 50 small pictures (loaded after opening)", strips, floor);
  std::printf("pictures shown at %dx%d; goals: open < 150 ms, step < 50 ms\n", shownAt.width(),
              shownAt.height());
  store.CloseAllFiles();
  std::error_code ec;
  fs::remove_all(root, ec);
  return 0;
}
