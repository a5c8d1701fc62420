// The drive tools on a clinic-sized drive, each against its floor measured in
// the same round:
//   backup (write, sync, read back and check) against `tar czf` of the same
//   folder; CSV export of the examinations (both encodings) against one
//   sequential read of the data file; the health check against one read of
//   every file.
//
// Default size: 100,000 examinations and one picture of 30,000 bytes for
// every tenth (random bytes: a JPEG does not compress either).
//
// The CSV export and the check are also timed in processor time (user and
// system of this process) against the same floors: on a machine other
// programs keep busy, the wall times of the longer runs grow with the
// waiting for a processor, and the processor times show the program's own
// share.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench/support/program_drive.h"
#include "bench/generator/generator.h"
#include "bench/support/floors.h"
#include "platform/file_system.h"
#include "store/backup.h"
#include "store/csv_export.h"
#include "store/health_check.h"
#include "store/store.h"

namespace {

namespace fsys = std::filesystem;

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

// The processor time (user and system) of this process so far, in seconds.
double ProcessorSeconds() {
  timespec now{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Times `body` in `wall` and `processor`.
void Time(bench::Runs& wall, bench::Runs& processor, const std::function<void()>& body) {
  const double before = ProcessorSeconds();
  wall.Add(bench::Seconds(body));
  processor.Add(ProcessorSeconds() - before);
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
  const bench::Options o = bench::ParseOptions(
      argc, argv,
      "Backup, CSV export and the health check of a drive against tar czf, one read of\n"
      "the data file and one read of every file, each measured in the same round.");
  const int exams = o.Records(100000);
  const int pictures = std::max(1, exams / 10);
  const std::size_t pictureBytes = 30000;
  const fsys::path work = bench::FreshFolder(o.parent, "backup-bench");
  const fsys::path root = work / "C";
  bench::DriveSize size;
  size.exams = exams;
  size.patients = std::max(1, exams / 10);
  const std::vector<std::string> names = bench::GenerateDrive(root, size);
  WritePictures(root, names, pictures, pictureBytes);
  std::printf("%d examinations, %d pictures of %zu bytes, %d runs\n", exams, pictures, pictureBytes,
              o.runs);

  platform::PosixFileSystem fs{bench::ProgramDrive(root)};
  platform::NoProgress progress;
  const fsys::path archive = work / "b.tar.gz";
  const fsys::path tarred = work / "t.tar.gz";
  const fsys::path csv = work / "e.csv";
  const fsys::path dataFile = root / "VLN2/VLN2.ekg";
  auto exportCsv = [&](store::CsvEncoding encoding) {
    bench::Check(
        store::ExportCsv(fs, store::CsvSource::kExaminations, csv, encoding, progress).ok(),
        "export");
  };
  // The part of the export no program can avoid: reading the records and
  // writing the CSV's bytes to the disk.
  auto readAndWrite = [&] {
    bench::RawRead(dataFile);
    bench::RawCopy(csv, work / "copy.csv", true);
  };
  bench::Runs backup, tar, cp932, readCp932, utf8, readUtf8, check, readAll, written;
  bench::Runs cp932Cpu, readCp932Cpu, utf8Cpu, readUtf8Cpu, checkCpu, readAllCpu;
  for (int i = 0; i < o.runs; ++i) {
    tar.Add(bench::Seconds([&] {
      const std::string command = "tar czf " + tarred.string() + " -C " + root.string() + " .";
      bench::Check(std::system(command.c_str()) == 0, "tar");
    }));
    backup.Add(bench::Seconds(
        [&] { bench::Check(store::WriteBackup(fs, root, archive, 0, progress).ok(), "backup"); }));
    Time(readCp932, readCp932Cpu, [&] { bench::RawRead(dataFile); });
    Time(cp932, cp932Cpu, [&] { exportCsv(store::CsvEncoding::kCp932); });
    Time(readUtf8, readUtf8Cpu, [&] { bench::RawRead(dataFile); });
    Time(utf8, utf8Cpu, [&] { exportCsv(store::CsvEncoding::kUtf8Bom); });
    written.Add(bench::Seconds(readAndWrite));
    Time(readAll, readAllCpu, [&] { ReadEveryFile(root); });
    Time(check, checkCpu, [&] { store::CheckDrive(fs, root, true, progress); });
  }
  std::printf("archive %.1f MB, tar's %.1f MB, data file %.1f MB\n", fsys::file_size(archive) / 1e6,
              fsys::file_size(tarred) / 1e6, fsys::file_size(dataFile) / 1e6);
  bench::PrintRatio("backup (with read-back) / tar czf", backup, tar, "<= 1.5");
  bench::PrintRatio("CSV export cp932 / one read", cp932, readCp932, "<= 2");
  bench::PrintRatio("CSV export utf-8 / one read", utf8, readUtf8, "<= 2");
  bench::PrintRatio("CSV utf-8 / read + durable write", utf8, written, "-");
  bench::PrintRatio("health check / read of every file", check, readAll, "<= 1.5");
  bench::PrintRatio("processor: CSV cp932 / one read", cp932Cpu, readCp932Cpu, "-");
  bench::PrintRatio("processor: CSV utf-8 / one read", utf8Cpu, readUtf8Cpu, "-");
  bench::PrintRatio("processor: check / read all files", checkCpu, readAllCpu, "-");
  bench::PrintLoad();
  std::error_code ec;
  fsys::remove_all(work, ec);
  return 0;
}
