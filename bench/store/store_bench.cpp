// Times the record store on generated drives of 1,000 / 10,000 / 100,000
// examinations against floors measured in the same run, and prints ratios
// (min and median over the runs).
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench/support/program_drive.h"
#include "bench/generator/generator.h"
#include "bench/support/floors.h"
#include "store/rebuilds.h"
#include "store/store.h"
#include "store/text_format.h"

namespace {

namespace fs = std::filesystem;
using bench::Check;
using bench::RawRead;
using bench::Seconds;

// Opening and sizing the seven files without the store.
void RawOpenAndCount(const platform::DataDrive& drive) {
  for (const char* path :
       {store::kDataFile, store::kMasterFile, store::kDepartmentFile, store::kArrhythmiaFile,
        store::kFindingFile, store::kLeadSiteFile, store::kScratchFile}) {
    const int fd = ::open(drive.ToHost(path).c_str(), O_RDWR | O_CREAT, 0644);
    Check(fd >= 0, "open");
    Check(::lseek(fd, 0, SEEK_END) >= 0, "lseek");
    ::close(fd);
  }
}

constexpr const char* kAbout =
    "Times opening, reading and rebuilding the record files against plain reads and copies.";

void BenchDrive(int exams, const fs::path& root, const bench::Options& options) {
  bench::GenerateDrive(root, {exams, exams, 2006u + static_cast<unsigned>(exams)});
  platform::PosixFileSystem files{bench::ProgramDrive(root)};
  const fs::path dataFile = files.HostPath(store::kDataFile);
  const int runs = options.tiny ? options.runs : exams >= 100000 ? options.runs : 4 * options.runs;
  const bool large = exams >= 100000 || options.tiny;
  std::printf("\n== %d examinations, %d patients (%.1f MB data file)\n", exams, exams,
              static_cast<double>(fs::file_size(dataFile)) / 1e6);

  store::Store s(files);
  const bench::Runs openFloor = bench::Time(runs, [&] { RawOpenAndCount(files.Drive()); });
  const bench::Runs open = bench::Time(runs, [&] {
    Check(s.OpenAllFiles().ok(), "OpenAllFiles");
    Check(s.RecordCount() == exams, "count");
  });
  bench::PrintRatio("OpenAllFiles + count", open, openFloor, "none");

  const bench::Runs readFloor = bench::Time(runs, [&] { RawRead(dataFile); });
  std::size_t checksum = 0;
  store::ExamRecord record;
  const bench::Runs read = bench::Time(runs, [&] {
    for (std::int32_t n = 1; n <= s.RecordCount(); ++n) {
      Check(s.ReadExamination(n, record).ok(), "read");
      checksum += static_cast<unsigned char>(record.data()[16]);
    }
  });
  bench::PrintRatio("read every record", read, readFloor, "<= 2");

  if (large) {
    std::mt19937 random(7);
    std::vector<float> ids;
    store::PatientRecord patient;
    for (int i = 0; i < (options.tiny ? 50 : 2000); ++i) {
      Check(s.MasterFile()
                ->Read(1 + static_cast<std::int32_t>(random() % s.PatientCount()), patient)
                .ok(),
            "master read");
      ids.push_back(std::stof(patient.Get(store::PatientField::PatientId)));
    }
    std::vector<std::int32_t> probes;
    s.SetPatientProbeLog(&probes);
    for (float id : ids) (void)s.FindPatient(id);
    s.SetPatientProbeLog(nullptr);
    std::size_t found = 0;
    const bench::Runs find = bench::Time(runs, [&] {
      found = 0;
      for (float id : ids) {
        found += s.FindPatient(id).position > 0;
      }
    });
    Check(found == ids.size(), "every ID found");
    std::printf(
        "FindPatientById       %9.2f us per search, %.1f probes on average (%zu searches)\n",
        find.Median() * 1e6 / static_cast<double>(ids.size()),
        static_cast<double>(probes.size()) / static_cast<double>(ids.size()), ids.size());

    // Every floor copies to a new file of its own, removed after its timing.
    int copies = 0;
    auto copyFloor = [&](const fs::path& from, bool durable) {
      const fs::path to = root / ("copy-" + std::to_string(++copies));
      const double seconds = Seconds([&] { bench::RawCopy(from, to, durable); });
      fs::remove(to);
      return seconds;
    };
    bench::Runs rebuild, rebuildFloor, listCopy, listFloor;
    for (int run = 0; run < options.runs; ++run) {
      rebuildFloor.Add(copyFloor(dataFile, true));
      rebuild.Add(Seconds([&] {
        Check(store::DeleteAndRenumber(s, store::Staging::WorkFile, 1).ok(), "rebuild");
      }));
      listFloor.Add(copyFloor(dataFile, false));
      listCopy.Add(Seconds([&] {
        Check(store::CopyToStaging(s, store::Staging::WorkFile).ok(), "copy to TEMP.DATA");
      }));
    }
    Check(s.RecordCount() == exams - options.runs, "rebuild count");
    Check(s.WorkRecordCount() == s.RecordCount(), "working file count");
    bench::PrintRatio("delete #1, renumber", rebuild, rebuildFloor, "<= 3");
    bench::PrintRatio("copy to working file", listCopy, listFloor, "<= 1.5");

    const fs::path masterFile = files.HostPath(store::kMasterFile);
    // A new ID in the middle of the master.
    store::PatientRecord middle;
    Check(s.MasterFile()->Read(s.PatientCount() / 2, middle).ok(), "master read");
    int newId = std::stoi(middle.Get(store::PatientField::PatientId));
    while (s.FindPatient(static_cast<float>(++newId)).position != 0) {
    }
    store::PatientRecord added;
    added.Set(store::PatientField::PatientId, store::FormatNumber(newId, "000000"));
    bench::Runs insert, insertFloor;
    for (int run = 0; run < options.runs; ++run) {
      insertFloor.Add(copyFloor(masterFile, true));
      std::int32_t position = 0;
      insert.Add(Seconds([&] {
        Check(store::InsertPatientInIdOrder(s, added, nullptr, &position).ok(), "insert");
      }));
      Check(store::DeleteAndRenumber(s, store::Staging::ScratchFile, position).ok(), "delete");
    }
    bench::PrintRatio("insert one patient", insert, insertFloor, "<= 3");
  }
  s.CloseAllFiles();
  if (checksum == 0) std::printf("(empty)\n");
}

}  // namespace

int main(int argc, char** argv) {
  const bench::Options options = bench::ParseOptions(argc, argv, kAbout);
  const fs::path base = bench::FreshFolder(options.parent, "velunor-store-bench");
  bench::PrintLoad();
  const std::vector<int> sizes = options.tiny || options.records > 0
                                     ? std::vector<int>{options.Records(0)}
                                     : std::vector<int>{1000, 10000, 100000};
  for (int exams : sizes) BenchDrive(exams, base / std::to_string(exams), options);
  bench::PrintLoad();
  fs::remove_all(base);  // the fresh folder made above
  return 0;
}
