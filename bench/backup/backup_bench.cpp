// The drive tools on a clinic-sized drive, each against its floor measured in
// the same run:
//   backup (write, sync, read back and check) against `tar czf` of the same
//   folder; CSV export of the examinations against one sequential read of the
//   data file; the health check against one read of every file.
//
// backup_bench [PARENT [EXAMS [PICTURES [PICTURE_BYTES [RUNS]]]]]
// Defaults: 100,000 examinations, 10,000 pictures of 30,000 bytes (random
// bytes: a JPEG does not compress either), 3 runs. Works in a fresh folder
// under PARENT (the temporary folder when not given) and removes only that.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/generator/generator.h"
#include "bench/support/floors.h"
#include "platform/file_system.h"
#include "store/backup.h"
#include "store/csv_export.h"
#include "store/health_check.h"
#include "store/store.h"

namespace {

namespace fsys = std::filesystem;

struct Times {
  std::vector<double> runs;
  double Min() const { return *std::min_element(runs.begin(), runs.end()); }
  double Median() const {
    std::vector<double> sorted = runs;
    std::sort(sorted.begin(), sorted.end());
    return sorted[sorted.size() / 2];
  }
};

void Report(const char* what, const Times& tool, const Times& floor, const char* floorName,
            double goal) {
  std::printf("%-28s min %8.3f s  median %8.3f s | %-22s min %8.3f s | ratio %.2f (goal <= %.1f)\n",
              what, tool.Min(), tool.Median(), floorName, floor.Min(), tool.Min() / floor.Min(),
              goal);
}

void WritePictures(const fsys::path& root, const std::vector<std::string>& names, int count,
                   std::size_t bytes) {
  fsys::create_directories(root / "VLN2/GAZOU");
  std::mt19937_64 random(2006);
  std::string picture(bytes, '\0');
  for (int i = 0; i < count && i < static_cast<int>(names.size()); ++i) {
    for (std::size_t j = 0; j + 8 <= bytes; j += 8) {
      const std::uint64_t r = random();
      std::memcpy(picture.data() + j, &r, 8);
    }
    std::ofstream(root / "VLN2/GAZOU" / (names[i] + ".jpg"), std::ios::binary) << picture;
  }
}

std::size_t ReadEveryFile(const fsys::path& root) {
  std::size_t total = 0;
  for (const auto& e : fsys::recursive_directory_iterator(root)) {
    if (e.is_regular_file()) total += bench::RawRead(e.path());
  }
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::printf("usage: %s [PARENT [EXAMS [PICTURES [PICTURE_BYTES [RUNS]]]]]\n", argv[0]);
    return 0;
  }
  const int exams = argc > 2 ? std::atoi(argv[2]) : 100000;
  const int pictures = argc > 3 ? std::atoi(argv[3]) : 10000;
  const std::size_t pictureBytes = argc > 4 ? std::strtoul(argv[4], nullptr, 10) : 30000;
  const int runs = argc > 5 ? std::atoi(argv[5]) : 3;
  const fsys::path work = bench::WorkFolder(argc, argv, "backup-bench");
  const fsys::path root = work / "C";
  bench::DriveSize size;
  size.exams = exams;
  size.patients = exams / 10;
  const std::vector<std::string> names = bench::GenerateDrive(root, size);
  WritePictures(root, names, pictures, pictureBytes);
  std::printf("%d examinations, %d pictures of %zu bytes, %d runs\n", exams, pictures, pictureBytes,
              runs);

  platform::PosixFileSystem fs{platform::DataDrive(root)};
  platform::NoProgress progress;
  const fsys::path archive = work / "b.tar.gz";
  const fsys::path tarred = work / "t.tar.gz";
  const fsys::path csv = work / "e.csv";
  Times backup, tar, exportCsv, read, check, readAll;
  for (int i = 0; i < runs; ++i) {
    tar.runs.push_back(bench::Seconds([&] {
      const std::string command = "tar czf " + tarred.string() + " -C " + root.string() + " .";
      bench::Check(std::system(command.c_str()) == 0, "tar");
    }));
    backup.runs.push_back(bench::Seconds(
        [&] { bench::Check(store::WriteBackup(fs, root, archive, 0, progress).ok(), "backup"); }));
    read.runs.push_back(bench::Seconds([&] { bench::RawRead(root / "VLN2/VLN2.ekg"); }));
    exportCsv.runs.push_back(bench::Seconds([&] {
      bench::Check(store::ExportCsv(fs, store::CsvSource::kExaminations, csv,
                                    store::CsvEncoding::kCp932, progress)
                       .ok(),
                   "export");
    }));
    readAll.runs.push_back(bench::Seconds([&] { ReadEveryFile(root); }));
    check.runs.push_back(bench::Seconds([&] { store::CheckDrive(fs, root, true, progress); }));
  }
  std::printf("archive %.1f MB, tar's %.1f MB\n", fsys::file_size(archive) / 1e6,
              fsys::file_size(tarred) / 1e6);
  Report("backup (with read-back)", backup, tar, "tar czf", 1.5);
  Report("CSV export (cp932)", exportCsv, read, "sequential read", 2.0);
  Report("health check", check, readAll, "read of every file", 1.5);
  fsys::remove_all(work);
  return 0;
}
