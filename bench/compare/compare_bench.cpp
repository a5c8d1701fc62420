// The comparison window over a large data file: opening it for a patient
// with 50 examinations (the index lookup, the two records and their pictures
// decoded at the size shown) and one step of a pane, against decoding the
// same two pictures at full size in the same run (the floor).
//
// Default size: 100,000 examinations; 50 of them, spread over the file, are
// one patient's, each with a picture of about 2 MB (hard links to one JPEG,
// read from the page cache as on a machine that showed them before).
#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/support/program_drive.h"
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

}  // namespace

int main(int argc, char** argv) {
  const bench::Options o = bench::ParseOptions(
      argc, argv,
      "Opening the comparison window for a patient with 50 examinations and one step of a\n"
      "pane, against decoding the two pictures at full size in the same round.");
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg && !message.contains(QStringLiteral("XDG_")) &&
        !message.contains(QStringLiteral("propagateSizeHints"))) {
      std::fprintf(stderr, "%s\n", qPrintable(message));
    }
  });
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  const fs::path root = bench::FreshFolder(o.parent, "velunor-compare-bench");
  const int exams = std::max(o.Records(100000), kPatientExams * 2);
  const std::size_t pictureBytes = o.tiny ? 200000 : 2000000;

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

  platform::PosixFileSystem files{bench::ProgramDrive(root)};
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
  auto decodeTwo = [&] {
    for (int i : {records.back(), records[records.size() - 2]}) {
      QFile file(QString::fromStdString((gazou / (names[i - 1] + ".jpg")).string()));
      bench::Check(file.open(QIODevice::ReadOnly), "open picture");
      QByteArray bytes = file.readAll();
      QBuffer buffer(&bytes);
      buffer.open(QIODevice::ReadOnly);
      bench::Check(!QImageReader(&buffer).read().isNull(), "decode");
    }
  };

  store::Store store(files);
  bench::Check(store.StartUp().ok(), "start");
  QuietUi ui;
  sessions::CompareSession session(store);
  CompareWindow window(store, session, ui, nullptr, {});
  window.setGeometry(0, 0, 1366, 768);
  window.show();
  QApplication::processEvents();
  bench::Runs floors, builds, lookups, opens, strips, steps;
  for (int round = 0; round < o.runs; ++round) {
    floors.Add(bench::Seconds(decodeTwo));
    builds.Add(bench::Seconds(
        [&] { bench::Check(store.ExamsByPatient().Build(store.DataFile()).ok(), "index"); }));
    lookups.Add(
        bench::Seconds([&] { bench::Check(session.Open(records.back()).opened, "session open"); }));
    const int shown = records[records.size() - 1 - round % 3];
    opens.Add(bench::Seconds([&] { bench::Check(window.Open(shown), "open"); }));
    strips.Add(bench::Seconds([&] {
      while (window.LoadStripPictures(1)) {
      }
    }));
    QApplication::processEvents();
    steps.Add(bench::Seconds([&] { window.panes[sessions::CompareSession::kLeft].back->click(); }));
  }
  const QSize shownAt = window.panes[0].picture->Picture().size();

  std::printf("floor: two pictures decoded at full size, each round\n");
  bench::PrintRatio("index built at start (one read)", builds, floors, "-");
  bench::PrintRatio("session: the patient's 50, two read", lookups, floors, "-");
  bench::PrintRatio("window opened (two pictures shown)", opens, floors, "< 150 ms");
  bench::PrintRatio("a step of a pane", steps, floors, "< 50 ms");
  bench::PrintRatio("strip: 50 small pictures", strips, floors, "-");
  std::printf("pictures shown at %dx%d\n", shownAt.width(), shownAt.height());
  bench::PrintLoad();
  store.CloseAllFiles();
  std::error_code ec;
  fs::remove_all(root, ec);
  return 0;
}
