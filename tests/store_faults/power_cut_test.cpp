// A power cut at every step of every change leaves the old file or the new
// one, never a mix, and nothing the next start cannot open.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "store/patients.h"
#include "store/rebuilds.h"
#include "store/store.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/power_cut_file_system.h"
#include "tests/support/records.h"

namespace {

using store::Store;
using testing_support::Exam;
using testing_support::FileBytes;
using testing_support::MemoryFileSystem;
using testing_support::Patient;
using testing_support::PowerCutFileSystem;

struct Change {
  const char* what;
  const char* file;  // the file that must be old or new
  std::function<void(Store&)> run;
};

void Seed(MemoryFileSystem& fs) {
  fs.WriteBytes(store::kDataFile,
                FileBytes({Exam(1).Record(), Exam(2).Record(), Exam(3).Record()}));
  fs.WriteBytes(store::kMasterFile,
                FileBytes({Patient(100).Record(), Patient(200).Record(), Patient(300).Record()}));
  fs.WriteBytes(store::kDepartmentFile, std::string(20 * 45, ' '));
}

// The bytes of `file` after the change ran without a cut.
std::string Result(const Change& change) {
  MemoryFileSystem fs;
  Seed(fs);
  Store s(fs);
  EXPECT_TRUE(s.StartUp().ok());
  change.run(s);
  s.CloseAllFiles();
  return fs.ReadBytes(change.file);
}

TEST(PowerCut, EveryStepOfEveryChangeLeavesTheOldOrTheNewFile) {
  const std::vector<std::int32_t> reversed = {3, 2, 1};
  const std::vector<store::PatientRecord> added = {Patient(400).Record(), Patient(500).Record()};
  const Change changes[] = {
      {"delete an examination", store::kDataFile,
       [](Store& s) { (void)store::DeleteAndRenumber(s, store::Staging::WorkFile, 2); }},
      {"reorder the examinations", store::kDataFile,
       [&](Store& s) { (void)store::ReorderByPositions(s, store::Staging::WorkFile, reversed); }},
      {"overwrite an examination in place", store::kDataFile,
       [](Store& s) { (void)s.DataFile()->Write(2, Exam(9).Record()); }},
      {"append an examination", store::kDataFile,
       [](Store& s) { (void)s.DataFile()->Write(4, Exam(4).Record()); }},
      {"copy the examinations for a list", store::kDataFile,
       [](Store& s) { (void)store::CopyToStaging(s, store::Staging::WorkFile); }},
      {"insert a patient", store::kMasterFile,
       [](Store& s) { (void)store::InsertPatientInIdOrder(s, Patient(150).Record()); }},
      {"delete a patient", store::kMasterFile, [](Store& s) { (void)store::DeletePatient(s, 1); }},
      {"append patients", store::kMasterFile,
       [&](Store& s) { (void)store::AppendPatients(s, added); }},
      {"save a vocabulary", store::kDepartmentFile,
       [](Store& s) {
         (void)s.ReplaceListFile(store::LookupList::Department, {"内科", "外科", "健診"});
       }},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.what);
    MemoryFileSystem seeded;
    Seed(seeded);
    const std::string before = seeded.ReadBytes(change.file);
    const std::string after = Result(change);
    for (int step = 1;; ++step) {
      SCOPED_TRACE(step);
      MemoryFileSystem disk;
      Seed(disk);
      PowerCutFileSystem fs(disk);
      bool cut = false;
      {
        Store s(fs);
        ASSERT_TRUE(s.StartUp().ok());
        fs.CutBeforeStep(fs.StepsSeen() + step);
        change.run(s);
        cut = fs.PowerGone();
        fs.CutNow();
      }
      Store restarted(disk);
      (void)restarted.StartUp();
      const std::string now = disk.ReadBytes(change.file);
      EXPECT_TRUE(now == before || now == after)
          << now.size() << " bytes: neither the old " << before.size() << " nor the new "
          << after.size();
      if (!cut) break;  // the change ran to its end before the armed step
    }
  }
}

}  // namespace
