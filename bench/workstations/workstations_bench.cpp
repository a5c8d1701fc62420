// Registrations per second on one data drive: one writer without the drive's
// lock (the floor), then 1, 2 and 4 writer processes taking it per command,
// each registering its share of the examinations through the form's session.
// Prints runs, min and median, and the lock's cost for one writer.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/support/floors.h"
#include "platform/drive.h"
#include "platform/drive_lock.h"
#include "platform/file_system.h"
#include "sessions/exam_form_session.h"
#include "store/records.h"
#include "store/store.h"

namespace {

namespace fs = std::filesystem;

constexpr int kSeeded = 1000;        // examinations on the drive at the start
int kRegistrations = 400;  // per run, shared among the writers (--tiny: 40)
int kRuns = 3;

store::ExamRecord Examination(int id) {
  store::ExamRecord r;
  r.Clear();
  char text[16];
  std::snprintf(text, sizeof text, "%06d", id);
  r.Set(store::ExamField::ExamDate, "2026/12/09");
  r.Set(store::ExamField::PatientId, text);
  r.Set(store::ExamField::Name, "患者");
  r.Set(store::ExamField::Sex, "M");
  r.Set(store::ExamField::ImageName, std::string("B") + text);
  return r;
}

void SeedDrive(const fs::path& root) {
  fs::create_directories(root / "VLN2" / "GAZOU");
  std::ofstream out(root / "VLN2" / "VLN2.ekg", std::ios::binary | std::ios::trunc);
  for (int n = 1; n <= kSeeded; ++n) {
    store::ExamRecord r = Examination(n);
    r.Set(store::ExamField::RecordNo, store::ExamRecordNo(n));
    out.write(r.data(), store::kExamRecordLength);
  }
}

// One writer: `count` registrations with IDs from `firstId`.
void Write(const fs::path& root, int index, int firstId, int count, bool locked) {
  platform::DataDrive drive(root);
  drive.SetWorkingCopyFolder(root / ".velunor2-workstations" / std::to_string(index));
  fs::create_directories(drive.WorkingCopyFolder());
  platform::PosixFileSystem files(drive);
  platform::DriveLock lock;
  store::Store store(files);
  if (locked) {
    bench::Check(lock.Acquire(root) == platform::LockOutcome::kHeld, "lock file");
    store.SetDriveLock(&lock);
  }
  bench::Check(store.StartUp().ok(), "start");
  sessions::ExamFormSession form(store);
  for (int i = 0; i < count; ++i) {
    const store::ExamRecord record = Examination(firstId + i);
    sessions::ExamEntry entry;
    entry.record = record;
    entry.imageName = entry.imageNameTrimmed = record.Get(store::ExamField::ImageName);
    form.StartNewExamination();
    bench::Check(form.RegisterNew(entry, {}).after == sessions::FormAfter::NewExamination,
                 "registration");
  }
}

// Seconds for kRegistrations registrations by `writers` processes.
double Run(const fs::path& parent, int writers, bool locked) {
  const fs::path root = bench::FreshFolder(parent, "drive");
  SeedDrive(root);
  const double seconds = bench::Seconds([&] {
    std::vector<pid_t> pids;
    for (int w = 0; w < writers; ++w) {
      const pid_t pid = ::fork();
      bench::Check(pid >= 0, "fork");
      if (pid == 0) {
        Write(root, w, 100000 + w * 10000, kRegistrations / writers, locked);
        ::_exit(0);
      }
      pids.push_back(pid);
    }
    for (pid_t pid : pids) {
      int status = 0;
      ::waitpid(pid, &status, 0);
      bench::Check(WIFEXITED(status) && WEXITSTATUS(status) == 0, "writer");
    }
  });
  const auto bytes = fs::file_size(root / "VLN2" / "VLN2.ekg");
  bench::Check(bytes == static_cast<std::uintmax_t>(kSeeded + kRegistrations / writers * writers) *
                            store::kExamRecordLength,
               "every registration once");
  fs::remove_all(root);
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--tiny") == 0) {
    kRegistrations = 40;
    kRuns = 1;
    --argc;
    ++argv;
  }
  if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::printf(
        "usage: workstations_bench [--tiny] [FOLDER]\n"
        "Registers %d examinations on a drive of %d, by one writer without the drive's\n"
        "lock and by 1, 2 and 4 writer processes with it, in a fresh folder under FOLDER\n"
        "(default: the temporary folder). Prints registrations per second (min and median\n"
        "of %d runs) and the lock's cost for one writer.\n",
        kRegistrations, kSeeded, kRuns);
    return 0;
  }
  const fs::path parent = bench::WorkFolder(argc, argv, "workstations");
  struct Mode {
    const char* name;
    int writers;
    bool locked;
  } modes[] = {{"1 writer, no lock (floor)", 1, false},
               {"1 writer, locked", 1, true},
               {"2 writers, locked", 2, true},
               {"4 writers, locked", 4, true}};
  std::vector<double> medians;
  for (const Mode& m : modes) {
    std::vector<double> times;
    for (int r = 0; r < kRuns; ++r) times.push_back(Run(parent, m.writers, m.locked));
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    medians.push_back(median);
    std::printf("%-28s runs %d  min %.3f s  median %.3f s  %.0f registrations/s\n", m.name, kRuns,
                times.front(), median, kRegistrations / median);
  }
  std::printf("lock cost for one writer: %+.1f %% (median against the floor)\n",
              (medians[1] / medians[0] - 1) * 100);
  fs::remove_all(parent);
  return 0;
}
