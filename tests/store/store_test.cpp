#include <gtest/gtest.h>

#include <string>

#include "platform/drive_lock.h"
#include "store/store.h"
#include "store/text_format.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/records.h"
#include "tests/support/temp_drive.h"

namespace {

using namespace store;
using testing_support::Exam;
using testing_support::ExamFileBytes;
using testing_support::FaultyFileSystem;
using testing_support::TempDrive;

// Rebuild that keeps every record but `drop`, renumbered in six digits.
Status DropRecord(Store& s, int drop) {
  return s.Rebuild(Staging::WorkFile, [&s, drop]() -> Status {
    std::int32_t out = 0;
    for (std::int32_t n = 1; n <= s.RecordCount(); ++n) {
      if (n == drop) continue;
      ExamRecord record;
      if (Status st = s.ReadExamination(n, record); !st.ok()) return st;
      record.Set(ExamField::RecordNo, FormatNumber(++out, "000000"));
      if (Status st = s.WorkFile()->Write(out, record); !st.ok()) return st;
    }
    return Status::Ok();
  });
}

class StoreTest : public ::testing::Test {
 protected:
  TempDrive t;
  FaultyFileSystem files{t.Drive()};
  Store s{files};
};

TEST_F(StoreTest, FirstStartOnAnEmptyDriveCreatesEveryFileEmpty) {
  ASSERT_TRUE(s.StartUp().ok());
  for (const char* path : {kDataFile, kMasterFile, kDepartmentFile, kLeadSiteFile, kFindingFile,
                           kArrhythmiaFile, kScratchFile}) {
    EXPECT_TRUE(files.Exists(path)) << path;
    EXPECT_EQ(t.ReadBytes(path).size(), 0u) << path;
  }
  for (const char* dir : {kImageDir, kKariDir, kMasterDir}) EXPECT_TRUE(files.IsDirectory(dir));
  EXPECT_EQ(s.RecordCount(), 0);
  EXPECT_EQ(s.PatientCount(), 0);
  EXPECT_EQ(s.ListFileOf(store::LookupList::Department)->Count(), 0);
  ExamRecord read1;
  ASSERT_TRUE(s.ReadExamination(1, read1).ok());
  EXPECT_EQ(read1, ExamRecord());
}

// Another program starting on the same drive makes each folder just before
// this one tries to: its start goes on without a complaint.
TEST(StoreStartUp, FoldersMadeMeanwhileByAnotherProgramAreNoTrouble) {
  class Racing : public testing_support::WrappingFileSystem {
   public:
    using WrappingFileSystem::WrappingFileSystem;
    Status CreateDirectory(std::string_view path) override {
      (void)Inner().CreateDirectory(path);
      return Status::Error(platform::kPathFileAccessError);
    }
  };
  TempDrive t;
  platform::PosixFileSystem disk(t.Drive());
  Racing files(disk);
  Store s(files);
  EXPECT_TRUE(s.StartUp().ok()) << s.StartUpMessage();
  for (const char* dir : {kImageDir, kKariDir, kMasterDir}) EXPECT_TRUE(files.IsDirectory(dir));
}

// What a program that died left is cleared at the next start, but not while
// another program is on the drive: then it may be that one's work.
TEST(StoreStartUp, LeftoversStayWhileAnotherProgramIsOnTheDrive) {
  for (const bool otherPresent : {true, false}) {
    TempDrive t;
    t.WriteBytes("C:\\VLN2\\TESTOUT.TXT", "list in progress");
    platform::DriveLock other, mine;
    if (otherPresent) {
      ASSERT_EQ(other.Acquire(t.Root()), platform::LockOutcome::kHeld);
    }
    ASSERT_EQ(mine.Acquire(t.Root()), platform::LockOutcome::kHeld);
    platform::PosixFileSystem files(t.Drive());
    Store s(files);
    s.SetDriveLock(&mine);
    ASSERT_TRUE(s.StartUp().ok());
    EXPECT_EQ(files.Exists("C:\\VLN2\\TESTOUT.TXT"), otherPresent);
  }
}

TEST_F(StoreTest, StartUpCountsExistingFilesAndDropsTheOldScratchFile) {
  t.WriteBytes(kDataFile, ExamFileBytes(3));
  t.WriteBytes(kMasterFile, std::string(127 * 4, ' '));
  t.WriteBytes(kDepartmentFile, std::string(900, ' '));
  t.WriteBytes(kScratchFile, std::string(127 * 2, 'x'));
  ASSERT_TRUE(s.StartUp().ok());
  EXPECT_EQ(s.RecordCount(), 3);
  EXPECT_EQ(s.PatientCount(), 4);
  EXPECT_EQ(s.ListFileOf(store::LookupList::Department)->Count(), 45);
  EXPECT_EQ(t.ReadBytes(kScratchFile), "");
  ExamRecord read2;
  ASSERT_TRUE(s.ReadExamination(2, read2).ok());
  EXPECT_EQ(read2, Exam(2));
}

TEST_F(StoreTest, WorkFileIsOpenedCountedAndRemovedAtShutDown) {
  ASSERT_TRUE(s.StartUp().ok());
  ASSERT_TRUE(s.OpenWorkFile().ok());
  ExamRecord hit = Exam(5);
  hit.Set(ExamField::RecordNo, "000005");  // a search hit keeps its data-file number
  ASSERT_TRUE(s.WorkFile()->Write(1, hit).ok());
  EXPECT_EQ(s.WorkRecordCount(), 1);
  ASSERT_TRUE(s.RemoveWorkFile().ok());
  EXPECT_FALSE(files.Exists(kWorkFile));
  EXPECT_TRUE(s.DataFile() != nullptr);
  ASSERT_TRUE(s.OpenWorkFile().ok());
  ASSERT_TRUE(s.ShutDownFiles().ok());
  EXPECT_FALSE(files.Exists(kWorkFile));
  EXPECT_EQ(s.DataFile(), nullptr);
}

TEST_F(StoreTest, RebuildRenumbersAndRecountsFromTheNewFile) {
  t.WriteBytes(kDataFile, ExamFileBytes(3));
  ASSERT_TRUE(s.StartUp().ok());
  ASSERT_TRUE(DropRecord(s, 2).ok());
  EXPECT_EQ(s.RecordCount(), 2);
  const std::string bytes = t.ReadBytes(kDataFile);
  ASSERT_EQ(bytes.size(), 2 * 579u);
  ExamRecord third = Exam(3);
  third.Set(ExamField::RecordNo, "000002");
  EXPECT_EQ(bytes.substr(0, 579), Exam(1).Bytes());
  EXPECT_EQ(bytes.substr(579), third.Bytes());
  EXPECT_FALSE(files.Exists(kWorkFile));
  // The files are open again and usable.
  ExamRecord read2;
  ASSERT_TRUE(s.ReadExamination(2, read2).ok());
  EXPECT_EQ(read2.Get(ExamField::Name), "患者3");
}

TEST_F(StoreTest, RebuildKeepsEveryFieldOfEveryRecord) {
  t.WriteBytes(kDataFile, ExamFileBytes(40));
  ASSERT_TRUE(s.StartUp().ok());
  ASSERT_TRUE(DropRecord(s, 0).ok());
  EXPECT_EQ(t.ReadBytes(kDataFile), ExamFileBytes(40));
}

// Whatever step of a rebuild fails, the live file is still there whole, the
// failure is reported and every file is open again.
TEST_F(StoreTest, FailedRebuildLosesNothing) {
  // Enough records that the staging file is written in several pieces.
  const std::string original = ExamFileBytes(4000);
  int failures = 0;
  for (int failAt = 1;; ++failAt) {
    t.WriteBytes(kDataFile, original);
    ASSERT_TRUE(s.StartUp().ok());
    files.FailNthWrite(failAt, platform::kDiskFull);
    const Status st = DropRecord(s, 1);
    files.Heal();
    if (st.ok()) break;  // the rebuild has fewer writes than failAt
    ++failures;
    EXPECT_EQ(st.error, platform::kDiskFull) << failAt;
    EXPECT_EQ(t.ReadBytes(kDataFile), original) << failAt;
    EXPECT_EQ(s.RecordCount(), 4000);
    EXPECT_TRUE(s.DataFile() && s.MasterFile() && s.ListFileOf(store::LookupList::Arrhythmia));
    EXPECT_FALSE(files.Exists(kWorkFile));
  }
  EXPECT_GE(failures, 2);
  t.WriteBytes(kDataFile, original);
  ASSERT_TRUE(s.StartUp().ok());
  files.FailRenames(platform::kPermissionDenied);
  EXPECT_EQ(DropRecord(s, 1).error, platform::kPermissionDenied);
  files.Heal();
  EXPECT_EQ(t.ReadBytes(kDataFile), original);
  EXPECT_EQ(s.RecordCount(), 4000);
  ExamRecord read4000;
  ASSERT_TRUE(s.ReadExamination(4000, read4000).ok());
  EXPECT_EQ(read4000, Exam(4000));
  // And the next attempt succeeds.
  ASSERT_TRUE(DropRecord(s, 1).ok());
  EXPECT_EQ(s.RecordCount(), 3999);
}

TEST_F(StoreTest, AProducerFailureIsReturnedAndTheLiveFileStays) {
  t.WriteBytes(kDataFile, ExamFileBytes(2));
  ASSERT_TRUE(s.StartUp().ok());
  Status st = s.Rebuild(Staging::WorkFile, [] { return Status::Error(platform::kDeviceIoError); });
  EXPECT_EQ(st.error, platform::kDeviceIoError);
  EXPECT_EQ(t.ReadBytes(kDataFile), ExamFileBytes(2));
}

TEST_F(StoreTest, MasterRebuildGoesThroughTheScratchFile) {
  t.WriteBytes(kMasterFile, testing_support::Patient(10).Bytes());
  ASSERT_TRUE(s.StartUp().ok());
  Status st = s.Rebuild(Staging::ScratchFile, [this]() -> Status {
    PatientRecord patient;
    for (std::int32_t n = 1; n <= s.PatientCount(); ++n) {
      if (Status r = s.MasterFile()->Read(n, patient); !r.ok()) return r;
      patient.Set(PatientField::RecordNo, FormatNumber(n, "0000000000"));
      if (Status w = s.ScratchFile()->Write(n, patient); !w.ok()) return w;
    }
    patient.Clear();
    patient.Set(PatientField::PatientId, "000020");
    patient.Set(PatientField::RecordNo, FormatNumber(2, "0000000000"));
    return s.ScratchFile()->Write(2, patient);
  });
  ASSERT_TRUE(st.ok());
  EXPECT_EQ(s.PatientCount(), 2);
  EXPECT_EQ(t.ReadBytes(kMasterFile).substr(0, 16), "0000000001000010");
  EXPECT_EQ(t.ReadBytes(kScratchFile), "");
}

}  // namespace
