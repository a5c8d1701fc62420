// Times the patient master's operations on a generated master of 100,000
// patients against floors measured in the same run, and prints the ratios:
// a new patient in the middle against a copy of the master, a name-prefix
// search against one sequential read, the master re-sort of the bulk
// registration end to end (through the sort component) against two reads
// and one write of the master.
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/support/program_drive.h"
#include "bench/generator/generator.h"
#include "bench/support/floors.h"
#include "platform/file_system.h"
#include "platform/progress.h"
#include "platform/ui.h"
#include "store/patients.h"
#include "store/sort_file.h"
#include "store/store.h"
#include "store/text_format.h"

namespace {

namespace fs = std::filesystem;
using bench::Check;
using bench::Clock;
using bench::RawRead;
using bench::Seconds;

// Answers Yes to the sort's question; shows nothing.
class YesUi : public platform::Ui {
 public:
  int MsgBox(std::string_view prompt, int, std::string_view) override {
    if (prompt != store::kPatientsById.question)
      std::fprintf(stderr, "box: %.*s\n", static_cast<int>(prompt.size()), prompt.data());
    return platform::kAnswerYes;
  }
  void DoEvents() override {}
  void SetBusyCursor(bool) override {}
};

// Marks the start of each phase and the end.
class MarkingProgress : public platform::Progress {
 public:
  void BeginPhase(std::string_view, int) override { marks.push_back(Clock::now()); }
  void Advance(int) override {}
  void Hide() override { marks.push_back(Clock::now()); }
  std::vector<Clock::time_point> marks;
};

constexpr const char* kAbout =
    "Times the patient master's insertion, name-prefix search and the bulk registration's\n"
    "re-sort against copies and reads of the master.";

}  // namespace

int main(int argc, char** argv) {
  const bench::Options options = bench::ParseOptions(argc, argv, kAbout);
  // The program's process: Qt loaded and running, as when the component's
  // window appears.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const fs::path root = bench::FreshFolder(options.parent, "velunor-patients-bench");
  const int patients = std::min(options.Records(100000), 100000);
  const int runs = options.runs;
  bench::PrintLoad();
  bench::GenerateDrive(root, {1000, patients, 2024u});
  platform::PosixFileSystem files{bench::ProgramDrive(root)};
  const fs::path master = files.HostPath(store::kMasterFile);
  std::printf("== %d patients (%.1f MB master)\n", patients,
              static_cast<double>(fs::file_size(master)) / 1e6);
  store::Store s(files);
  Check(s.StartUp().ok(), "start-up");
  Check(s.PatientCount() == patients, "count");
  platform::NoProgress progress;

  // A new ID in the middle, inserted and removed again between the runs.
  store::PatientRecord middle;
  Check(s.MasterFile()->Read(patients / 2, middle).ok(), "read");
  int newId = static_cast<int>(store::NumericValue(middle.Get(store::PatientField::PatientId)));
  while (s.FindPatient(static_cast<float>(++newId)).position != 0) {
  }
  store::PatientRecord added;
  added.Set(store::PatientField::PatientId, store::FormatNumber(newId, "000000"));
  added.Set(store::PatientField::Name, "新規患者");
  bench::Runs insert, copyFloor;
  int copies = 0;
  auto newCopy = [&] { return root / ("copy-" + std::to_string(++copies) + ".masta"); };
  for (int i = 0; i < runs; ++i) {
    const fs::path to = newCopy();
    copyFloor.Add(Seconds([&] { bench::RawCopy(master, to, true); }));
    fs::remove(to);
    store::PatientRegistration r;
    insert.Add(Seconds([&] { r = store::RegisterPatient(s, added, &progress); }));
    Check(r.result.ok() && !r.overwritten, "insert");
    Check(store::DeletePatient(s, r.position).ok(), "delete");
  }
  bench::PrintRatio("new patient in the middle", insert, copyFloor, "<= 3");

  // The beginning of a name that many patients share.
  store::PatientRecord named;
  Check(s.MasterFile()->Read(patients / 3, named).ok(), "read");
  const std::string name = named.Get(store::PatientField::Name);
  const std::string prefix = name.substr(0, 3);  // one character of UTF-8
  bench::Runs search, readFloor;
  std::int32_t hits = 0;
  for (int i = 0; i < runs; ++i) {
    readFloor.Add(Seconds([&] { RawRead(master); }));
    search.Add(Seconds([&] {
      Check(store::SearchPatients(s, store::PatientSearchField::Name, prefix, progress, hits).ok(),
            "search");
    }));
  }
  const std::string searched = "name-prefix search (" + std::to_string(hits) + " hits)";
  bench::PrintRatio(searched.c_str(), search, readFloor, "<= 2");
  Check(store::DiscardScratchFile(s).ok(), "discard");

  // The bulk registration's re-sort: ten patients at the end of the master,
  // out of ID order, as a bulk registration answered No leaves them (the
  // master at the component's limit of 100,000 lines), then the sort through
  // the component, end to end.
  std::string bytes;
  {
    std::vector<char> all(static_cast<std::size_t>(s.PatientCount()) * store::kPatientRecordLength);
    Check(s.MasterFile()->ReadRecords(1, s.PatientCount(), all).ok(), "read master");
    std::string kept, moved;
    for (std::int32_t k = 0; k < s.PatientCount(); ++k) {
      const char* record = all.data() + static_cast<std::size_t>(k) * store::kPatientRecordLength;
      ((k + 1) % 9973 == 0 && moved.size() < 10 * store::kPatientRecordLength ? moved : kept)
          .append(record, store::kPatientRecordLength);
    }
    bytes = kept + moved;
  }
  const fs::path unsorted = root / "unsorted.masta";
  {
    const int fd = ::open(unsorted.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    Check(fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()),
          "write unsorted");
    ::close(fd);
  }
  YesUi ui;
  bench::Runs resort, resortFloor;
  for (int i = 0; i < runs; ++i) {
    s.CloseAllFiles();
    fs::copy_file(unsorted, master, fs::copy_options::overwrite_existing);
    Check(s.OpenAllFiles().ok(), "reopen");
    const fs::path to = newCopy();
    resortFloor.Add(Seconds([&] {
      RawRead(master);
      bench::RawCopy(master, to, true);
    }));
    fs::remove(to);
    store::SortOutcome outcome{};
    MarkingProgress marking;
    const auto start = Clock::now();
    resort.Add(Seconds([&] { outcome = store::SortFile(s, ui, marking, store::kPatientsById); }));
    if (i == runs - 1) {
      std::printf("  phases (ms from the start):");
      for (auto m : marking.marks) {
        std::printf(" %.1f", std::chrono::duration<double, std::milli>(m - start).count());
      }
      std::printf("\n");
    }
    Check(outcome == store::SortOutcome::Sorted, "sort");
  }
  bool ordered = false;
  Check(store::MasterInIdOrder(s.MasterFile(), ordered).ok() && ordered, "sorted master");
  bench::PrintRatio("bulk re-sort end to end", resort, resortFloor, "<= 2.5");
  bench::PrintLoad();
  s.CloseAllFiles();
  fs::remove_all(root);  // the fresh folder made above
  return 0;
}
