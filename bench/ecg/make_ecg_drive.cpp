// make_ecg_drive DIR [EXAMS [PICTURES]]: a data drive under DIR with EXAMS
// examinations and patients, and an ECG picture under the image name of each
// of the last PICTURES examinations (all of them by default).
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "bench/ecg/ecg_picture.h"
#include "bench/generator/generator.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s DRIVE_ROOT [EXAMS [PICTURES]]\n", argv[0]);
    return 2;
  }
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  bench::DriveSize size;
  if (argc > 2) size.exams = std::atoi(argv[2]);
  size.patients = size.exams;
  const int pictures = argc > 3 ? std::atoi(argv[3]) : size.exams;
  const std::filesystem::path root = argv[1];
  std::vector<std::string> names;
  try {
    names = bench::GenerateDrive(root, size);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  std::filesystem::create_directories(root / "VLN2" / "GAZOU");
  int written = 0;
  for (int n = std::max(0, static_cast<int>(names.size()) - pictures);
       n < static_cast<int>(names.size()); ++n) {
    const QString name = QString::fromStdString(names[static_cast<std::size_t>(n)]);
    const QString path = QString::fromStdString((root / "VLN2" / "GAZOU").string()) +
                         QLatin1Char('/') + name + QStringLiteral(".jpg");
    if (!bench::WriteEcgJpeg(path, static_cast<std::uint32_t>(n + 1), name)) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
      return 1;
    }
    ++written;
  }
  std::printf("%d examinations, %d pictures under %s\n", size.exams, written, argv[1]);
  return 0;
}
