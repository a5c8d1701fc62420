// The patient master beside another workstation on the same drive: a change
// there tells the windows to show the master as it is now, and nothing else
// does.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/drive_lock.h"
#include "sessions/patient_session.h"
#include "store/patients.h"
#include "store/store.h"
#include "tests/support/fake_ui.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/recording_progress.h"
#include "tests/support/records.h"
#include "tests/support/scripted_sort.h"
#include "tests/support/temp_drive.h"

namespace {

using testing_support::Patient;

struct Workstation {
  Workstation(testing_support::MemoryFileSystem& files, const std::filesystem::path& lockRoot)
      : store(files), patients(store, ui, progress) {
    EXPECT_EQ(lock.Acquire(lockRoot), platform::LockOutcome::kHeld);
    store.SetDriveLock(&lock);
    EXPECT_TRUE(store.StartUp().ok());
    patients.OnMasterChanged = [this](bool reordered) { told.push_back(reordered); };
  }
  platform::DriveLock lock;
  store::Store store;
  testing_support::FakeUi ui;
  testing_support::RecordingProgress progress;
  sessions::PatientSession patients;
  std::vector<bool> told;
};

TEST(PatientSharingTest, AMasterChangedElsewhereIsShownAsItIsNow) {
  struct Case {
    const char* name;
    std::function<void(Workstation&)> other;
    bool told;
  } cases[] = {
      {"nothing changed", [](Workstation&) {}, false},
      {"an examination registered elsewhere leaves the master as it was",
       [](Workstation& w) {
         const auto held = w.store.Changing();  // a change of the drive, not of the master
         EXPECT_TRUE(held);
       },
       false},
      {"a patient registered elsewhere",
       [](Workstation& w) {
         EXPECT_TRUE(store::RegisterPatient(w.store, Patient(150)).result.ok());
       },
       true},
      {"a patient deleted elsewhere",
       [](Workstation& w) { EXPECT_TRUE(store::DeletePatient(w.store, 1).ok()); }, true},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing_support::TempDrive drive;  // holds the lock file only
    testing_support::MemoryFileSystem memory;
    memory.WriteBytes(store::kMasterFile, Patient(100).Bytes() + Patient(200).Bytes());
    Workstation first(memory, drive.Root()), second(memory, drive.Root());
    EXPECT_FALSE(first.patients.FollowDrive());  // takes note of the master
    c.other(second);
    EXPECT_EQ(first.patients.FollowDrive(), c.told);
    EXPECT_EQ(first.told, c.told ? std::vector<bool>{true} : std::vector<bool>{});
    EXPECT_EQ(first.store.PatientCount(), second.store.PatientCount());
    // Once followed, the same change is not told again.
    EXPECT_FALSE(first.patients.FollowDrive());
  }
}

// The master sort asks while the other workstations can read: none of them
// waits for the user's answer.
TEST(PatientSharingTest, TheMasterSortAsksBeforeItHoldsTheDrive) {
  testing_support::TempDrive drive;
  testing_support::MemoryFileSystem memory;
  memory.WriteBytes(store::kMasterFile,
                    testing_support::FileBytes(
                        std::vector<store::PatientRecord>{Patient(30), Patient(10), Patient(20)}));
  Workstation first(memory, drive.Root()), second(memory, drive.Root());
  testing_support::DriveWatchingUi ui(second.lock);
  testing_support::ScriptedSort sort;
  sessions::PatientSession patients(first.store, ui, first.progress);
  patients.SetSortJobs(sort.Factory());
  for (int answer : {platform::kAnswerNo, platform::kAnswerYes}) {
    SCOPED_TRACE(answer);
    ui.free.clear();
    ui.Expect("患者マスタを昇順に並べ替えますか？", answer);
    const sessions::CommandOutcome sorted = patients.SortMasterAlone();
    EXPECT_TRUE(ui.AllAnswered());
    EXPECT_EQ(ui.free, std::vector<bool>{true});
    EXPECT_EQ(sorted.ok(), answer == platform::kAnswerYes);
  }
  EXPECT_EQ(testing_support::PatientsOf(memory.ReadBytes(store::kMasterFile))[0].Get(
                store::PatientField::PatientId),
            Patient(10).Record().Get(store::PatientField::PatientId));

  // The bulk registration asks the same before it registers.
  const std::vector<store::PatientRecord> added = {Patient(5).Record(), Patient(40).Record()};
  for (int answer : {platform::kAnswerNo, platform::kAnswerYes}) {
    SCOPED_TRACE(answer);
    ui.free.clear();
    ui.Expect("患者マスタを昇順に並べ替えますか？", answer);
    ui.Expect("登録終了。");
    const sessions::CommandOutcome registered = patients.RegisterBulk(added);
    sessions::Show(ui, registered);
    EXPECT_TRUE(ui.AllAnswered());
    EXPECT_EQ(ui.free, (std::vector<bool>{true, true}));
  }
  const std::vector<store::PatientRecord> master =
      testing_support::PatientsOf(memory.ReadBytes(store::kMasterFile));
  ASSERT_EQ(master.size(), 7u);
  EXPECT_EQ(master.front().Get(store::PatientField::PatientId),
            Patient(5).Record().Get(store::PatientField::PatientId));
}

}  // namespace
