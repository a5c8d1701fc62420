// Times the record store on generated drives of 1,000 / 10,000 / 100,000
// examinations against floors measured in the same run, and prints ratios.
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

#include "bench/generator/generator.h"
#include "bench/support/floors.h"
#include "store/rebuilds.h"
#include "store/store.h"
#include "store/text_format.h"

namespace {

namespace fs = std::filesystem;
using bench::Best;
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

void BenchDrive(int exams, const fs::path& root) {
  fs::remove_all(root);
  bench::GenerateDrive(root, {exams, exams, 2006u + static_cast<unsigned>(exams)});
  platform::PosixFileSystem files{platform::DataDrive(root)};
  const fs::path dataFile = files.HostPath(store::kDataFile);
  const int runs = exams >= 100000 ? 5 : 20;
  std::printf("\n== %d examinations, %d patients (%.1f MB data file)\n", exams, exams,
              static_cast<double>(fs::file_size(dataFile)) / 1e6);

  store::Store s(files);
  const double openFloor = Best(runs, [&] { RawOpenAndCount(files.Drive()); });
  const double open = Best(runs, [&] {
    Check(s.OpenAllFiles().ok(), "OpenAllFiles");
    Check(s.RecordCount() == exams, "count");
  });
  std::printf("OpenAllFiles + count  %9.1f us   floor %9.1f us   ratio %5.2f\n", open * 1e6,
              openFloor * 1e6, open / openFloor);

  const double readFloor = Best(runs, [&] { RawRead(dataFile); });
  std::size_t checksum = 0;
  store::ExamRecord record;
  const double read = Best(runs, [&] {
    for (std::int32_t n = 1; n <= s.RecordCount(); ++n) {
      Check(s.ReadExamination(n, record).ok(), "read");
      checksum += static_cast<unsigned char>(record.data()[16]);
    }
  });
  std::printf("read every record     %9.2f ms   floor %9.2f ms   ratio %5.2f   (goal <= 2)\n",
              read * 1e3, readFloor * 1e3, read / readFloor);

  if (exams == 100000) {
    std::mt19937 random(7);
    std::vector<float> ids;
    store::PatientRecord patient;
    for (int i = 0; i < 2000; ++i) {
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
    const double find = Best(3, [&] {
      found = 0;
      for (float id : ids) {
        found += s.FindPatient(id).position > 0;
      }
    });
    Check(found == ids.size(), "every ID found");
    std::printf(
        "FindPatientById       %9.2f us per search, %.1f probes on average (%zu searches)\n",
        find * 1e6 / static_cast<double>(ids.size()),
        static_cast<double>(probes.size()) / static_cast<double>(ids.size()), ids.size());

    const fs::path copy = root / "copy.ekg";
    const double copyFloor = Best(3, [&] { bench::RawCopy(dataFile, copy, true); });
    fs::remove(copy);
    const double rebuild = Best(1, [&] {
      Check(store::DeleteAndRenumber(s, store::Staging::WorkFile, 1).ok(), "rebuild");
    });
    Check(s.RecordCount() == exams - 1, "rebuild count");
    std::printf("delete #1, renumber   %9.2f ms   copy  %9.2f ms   ratio %5.2f   (goal <= 3)\n",
                rebuild * 1e3, copyFloor * 1e3, rebuild / copyFloor);

    const double listCopy = Best(3, [&] {
      Check(store::CopyToStaging(s, store::Staging::WorkFile).ok(), "copy to TEMP.DATA");
    });
    Check(s.WorkRecordCount() == s.RecordCount(), "working file count");
    std::printf("copy to working file  %9.2f ms   copy  %9.2f ms   ratio %5.2f\n", listCopy * 1e3,
                copyFloor * 1e3, listCopy / copyFloor);

    const fs::path masterFile = files.HostPath(store::kMasterFile);
    const fs::path masterCopy = root / "copy.masta";
    const double masterFloor = Best(3, [&] { bench::RawCopy(masterFile, masterCopy, true); });
    fs::remove(masterCopy);
    // A new ID in the middle of the master.
    store::PatientRecord middle;
    Check(s.MasterFile()->Read(s.PatientCount() / 2, middle).ok(), "master read");
    int newId = std::stoi(middle.Get(store::PatientField::PatientId));
    while (s.FindPatient(static_cast<float>(++newId)).position != 0) {
    }
    store::PatientRecord added;
    added.Set(store::PatientField::PatientId, store::FormatNumber(newId, "000000"));
    const double insert =
        Best(1, [&] { Check(store::InsertPatientInIdOrder(s, added).ok(), "insert"); });
    std::printf("insert one patient    %9.2f ms   copy  %9.2f ms   ratio %5.2f   (%d patients)\n",
                insert * 1e3, masterFloor * 1e3, insert / masterFloor, s.PatientCount());
  }
  s.CloseAllFiles();
  if (checksum == 0) std::printf("(empty)\n");
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path base = bench::WorkFolder(argc, argv, "velunor-bench");
  for (int exams : {1000, 10000, 100000}) BenchDrive(exams, base / std::to_string(exams));
  fs::remove_all(base);
  return 0;
}
