#include "store/rebuilds.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "store/text_format.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/recording_progress.h"
#include "tests/support/records.h"
#include "tests/support/temp_drive.h"

namespace {

using namespace store;
using testing_support::Exam;
using testing_support::ExamFileBytes;
using testing_support::FaultyFileSystem;
using testing_support::FileBytes;
using testing_support::MemoryFileSystem;
using testing_support::Patient;
using testing_support::RecordingProgress;

// Every file in memory, behind a layer that fails on request.
class RebuildsTest : public ::testing::Test {
 protected:
  void Start(std::string_view path, std::string_view bytes) {
    memory.WriteBytes(path, bytes);
    ASSERT_TRUE(s.StartUp().ok());
  }
  std::vector<std::string> Leftovers() {
    std::vector<std::string> found;
    for (const char* path :
         {kWorkFile, kScratchFile, "C:\\VLN2\\TEMP.DATA.PART", "C:\\MASTA\\KARIKAN.DATA.PART"}) {
      if (!memory.ReadBytes(path).empty()) found.emplace_back(path);
    }
    return found;
  }
  static ExamRecord Renumbered(ExamRecord r, int n) {
    r.Set(ExamField::RecordNo, FormatNumber(n, "000000"));
    return r;
  }
  static PatientRecord WithNo(PatientRecord r, std::string_view no) {
    r.Set(PatientField::RecordNo, no);
    return r;
  }

  // Runs `rebuild` on a fresh copy of `original` with the n-th write failing,
  // n = 1, 2, ... until it succeeds: every failure leaves the live file
  // byte-identical and no staging file. Returns how many writes failed.
  int FailEachWrite(std::string_view live, const std::string& original,
                    const std::function<RebuildResult()>& rebuild) {
    int failures = 0;
    for (int failAt = 1;; ++failAt) {
      memory.WriteBytes(live, original);
      memory.WriteBytes(kScratchFile, "");
      EXPECT_TRUE(s.StartUp().ok());
      files.FailNthWrite(failAt, platform::kDiskFull);
      const RebuildResult r = rebuild();
      files.Heal();
      if (r.ok()) break;
      ++failures;
      EXPECT_EQ(r.outcome, RebuildOutcome::Unchanged) << failAt;
      EXPECT_EQ(r.status.error, platform::kDiskFull) << failAt;
      EXPECT_EQ(memory.ReadBytes(live), original) << failAt;
      EXPECT_TRUE(Leftovers().empty()) << failAt;
      if (failAt > 100) break;
    }
    return failures;
  }

  MemoryFileSystem memory;
  FaultyFileSystem files{memory};
  Store s{files};
  RecordingProgress progress;
};

TEST_F(RebuildsTest, DeletingAnExaminationRenumbersTheRestInSixDigits) {
  Start(kDataFile, ExamFileBytes(3));
  const RebuildResult r = DeleteAndRenumber(s, Staging::WorkFile, 2, &progress);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(memory.ReadBytes(kDataFile), FileBytes({Exam(1), Renumbered(Exam(3), 2)}));
  EXPECT_EQ(s.RecordCount(), 2);
  EXPECT_TRUE(Leftovers().empty());
  EXPECT_EQ(progress.captions, std::vector<std::string>{std::string(kProcessingCaption)});
  EXPECT_EQ(progress.maximum, 3);
  EXPECT_EQ(progress.value, 3);
  EXPECT_FALSE(progress.visible);

  ASSERT_TRUE(DeleteAndRenumber(s, Staging::WorkFile, 1).ok());
  ASSERT_TRUE(DeleteAndRenumber(s, Staging::WorkFile, 1).ok());
  EXPECT_EQ(memory.ReadBytes(kDataFile), "");
  EXPECT_EQ(s.RecordCount(), 0);
}

TEST_F(RebuildsTest, DeletingAPatientRenumbersTheRestInTenDigits) {
  Start(kMasterFile, FileBytes({Patient(10), Patient(20), Patient(30)}));
  ASSERT_TRUE(DeleteAndRenumber(s, Staging::ScratchFile, 1).ok());
  EXPECT_EQ(memory.ReadBytes(kMasterFile),
            FileBytes({WithNo(Patient(20), "0000000001"), WithNo(Patient(30), "0000000002")}));
  EXPECT_EQ(s.PatientCount(), 2);
  EXPECT_EQ(memory.ReadBytes(kScratchFile), "");
}

TEST_F(RebuildsTest, ARecordNumberOutsideTheFileChangesNothing) {
  const std::string original = ExamFileBytes(3);
  Start(kDataFile, original);
  for (std::int32_t n : {0, -1, 4}) {
    const RebuildResult r = DeleteAndRenumber(s, Staging::WorkFile, n, &progress);
    EXPECT_EQ(r.outcome, RebuildOutcome::Unchanged);
    EXPECT_EQ(r.status.error, platform::kBadRecordNumber);
  }
  EXPECT_EQ(memory.ReadBytes(kDataFile), original);
  EXPECT_FALSE(progress.visible);
}

TEST_F(RebuildsTest, ReorderingExaminationsRenumbersThem) {
  Start(kDataFile, ExamFileBytes(4));
  const std::vector<std::int32_t> order = {3, 1, 4, 2};
  ASSERT_TRUE(ReorderByPositions(s, Staging::WorkFile, order, &progress).ok());
  EXPECT_EQ(memory.ReadBytes(kDataFile),
            FileBytes({Renumbered(Exam(3), 1), Renumbered(Exam(1), 2), Renumbered(Exam(4), 3),
                       Renumbered(Exam(2), 4)}));
  EXPECT_EQ(progress.captions, std::vector<std::string>{std::string(kWritingCaption)});
  EXPECT_EQ(progress.value, 4);
}

TEST_F(RebuildsTest, ReorderingPatientsRenumbersThemInTenDigits) {
  const std::vector<PatientRecord> master = {WithNo(Patient(30), "1"), Patient(10),
                                             WithNo(Patient(20), "0000000003")};
  Start(kMasterFile, FileBytes(master));
  const std::vector<std::int32_t> order = {2, 3, 1};
  ASSERT_TRUE(ReorderByPositions(s, Staging::ScratchFile, order).ok());
  EXPECT_EQ(memory.ReadBytes(kMasterFile),
            FileBytes({WithNo(master[1], "0000000001"), WithNo(master[2], "0000000002"),
                       WithNo(master[0], "0000000003")}));
}

TEST_F(RebuildsTest, PositionsMustNameEveryRecordOnce) {
  const std::string original = ExamFileBytes(3);
  Start(kDataFile, original);
  for (const std::vector<std::int32_t>& order : std::vector<std::vector<std::int32_t>>{
           {1, 2}, {1, 2, 3, 3}, {1, 1, 2}, {0, 1, 2}, {1, 2, 4}, {}}) {
    const RebuildResult r = ReorderByPositions(s, Staging::WorkFile, order);
    EXPECT_EQ(r.outcome, RebuildOutcome::Unchanged);
    EXPECT_EQ(r.status.error, platform::kBadRecordNumber);
  }
  EXPECT_EQ(memory.ReadBytes(kDataFile), original);
  EXPECT_EQ(files.RenamesSeen(), 0);
}

TEST_F(RebuildsTest, ANewPatientGoesBeforeTheFirstLargerId) {
  Start(kMasterFile, FileBytes({Patient(10), Patient(20), Patient(30)}));
  std::int32_t at = 0;
  ASSERT_TRUE(InsertPatientInIdOrder(s, Patient(25), &progress, &at).ok());
  EXPECT_EQ(at, 3);
  EXPECT_EQ(memory.ReadBytes(kMasterFile),
            FileBytes({WithNo(Patient(10), "0000000001"), WithNo(Patient(20), "0000000002"),
                       WithNo(Patient(25), "0000000003"), WithNo(Patient(30), "0000000004")}));
  EXPECT_EQ(s.PatientCount(), 4);
  EXPECT_EQ(progress.maximum, 3);
  EXPECT_EQ(progress.value, 3);
  EXPECT_FALSE(progress.visible);

  // Smaller than all: first, every other record moved on by one.
  ASSERT_TRUE(InsertPatientInIdOrder(s, Patient(5), nullptr, &at).ok());
  EXPECT_EQ(at, 1);
  EXPECT_EQ(memory.ReadBytes(kMasterFile).substr(0, 254),
            FileBytes({WithNo(Patient(5), "0000000001"), WithNo(Patient(10), "0000000002")}));
  // Larger than all: appended; what RecordNo held is not kept.
  ASSERT_TRUE(InsertPatientInIdOrder(s, WithNo(Patient(99), "junk"), nullptr, &at).ok());
  EXPECT_EQ(at, 6);
  std::vector<PatientRecord> expected;
  int n = 0;
  for (int id : {5, 10, 20, 25, 30, 99}) {
    expected.push_back(WithNo(Patient(id), FormatNumber(++n, "0000000000")));
  }
  EXPECT_EQ(memory.ReadBytes(kMasterFile), FileBytes(expected));
}

TEST_F(RebuildsTest, TheFirstPatientIsWrittenWithoutARebuild) {
  Start(kMasterFile, "");
  std::int32_t at = 0;
  ASSERT_TRUE(InsertPatientInIdOrder(s, Patient(45), &progress, &at).ok());
  EXPECT_EQ(at, 1);
  EXPECT_EQ(memory.ReadBytes(kMasterFile), WithNo(Patient(45), "0000000001").Bytes());
  EXPECT_EQ(s.PatientCount(), 1);
  EXPECT_EQ(files.RenamesSeen(), 0);
  EXPECT_TRUE(progress.captions.empty());
}

TEST_F(RebuildsTest, AnIdTheMasterHoldsIsNotInsertedTwice) {
  const std::string original = FileBytes({Patient(10), Patient(20)});
  Start(kMasterFile, original);
  const RebuildResult r = InsertPatientInIdOrder(s, Patient("20.0"));
  EXPECT_EQ(r.outcome, RebuildOutcome::Unchanged);
  EXPECT_EQ(r.status.error, platform::kFileAlreadyExists);
  EXPECT_EQ(memory.ReadBytes(kMasterFile), original);
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(RebuildsTest, AFailedWriteLeavesTheLiveFileByteIdentical) {
  // Enough records that the staging file is written in several pieces.
  const std::string exams = ExamFileBytes(4000);
  EXPECT_GE(FailEachWrite(kDataFile, exams,
                          [&] { return DeleteAndRenumber(s, Staging::WorkFile, 7, &progress); }),
            3);
  EXPECT_FALSE(progress.visible);
  std::vector<std::int32_t> reversed;
  for (std::int32_t n = 4000; n >= 1; --n) reversed.push_back(n);
  EXPECT_GE(FailEachWrite(kDataFile, exams,
                          [&] { return ReorderByPositions(s, Staging::WorkFile, reversed); }),
            3);
  const std::string master = FileBytes({Patient(10), Patient(20), Patient(30)});
  EXPECT_GE(
      FailEachWrite(kMasterFile, master, [&] { return InsertPatientInIdOrder(s, Patient(15)); }),
      1);
  EXPECT_GE(FailEachWrite(kMasterFile, master,
                          [&] { return DeleteAndRenumber(s, Staging::ScratchFile, 2); }),
            1);
}

TEST_F(RebuildsTest, AFailedRenameLeavesTheLiveFileByteIdentical) {
  const std::string original = ExamFileBytes(5);
  Start(kDataFile, original);
  files.FailNthRename(1);
  const RebuildResult r = DeleteAndRenumber(s, Staging::WorkFile, 1);
  EXPECT_EQ(r.outcome, RebuildOutcome::Unchanged);
  EXPECT_EQ(r.status.error, platform::kPermissionDenied);
  EXPECT_EQ(memory.ReadBytes(kDataFile), original);
  EXPECT_TRUE(Leftovers().empty());
  EXPECT_EQ(s.RecordCount(), 5);
  ExamRecord read;
  ASSERT_TRUE(s.ReadExamination(5, read).ok());
  EXPECT_EQ(read, Exam(5).Record());
}

// Once the staging file has taken the live file's name the change is made:
// a later failure is reported as such, not as "nothing changed".
TEST_F(RebuildsTest, AFailureAfterTheRenameSaysTheChangeWasMade) {
  const std::string after = FileBytes({Exam(1), Renumbered(Exam(3), 2)});
  Start(kDataFile, ExamFileBytes(3));
  // Syncs: the staging file, then the directory after the rename.
  files.FailNthSync(2, platform::kDeviceIoError);
  RebuildResult r = DeleteAndRenumber(s, Staging::WorkFile, 2);
  EXPECT_EQ(r.outcome, RebuildOutcome::ReplacedThenFailed);
  EXPECT_TRUE(r.Changed());
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.status.error, platform::kDeviceIoError);
  EXPECT_EQ(memory.ReadBytes(kDataFile), after);
  EXPECT_EQ(s.RecordCount(), 2);

  // The staging file's own flush comes before the rename: nothing changed.
  Start(kDataFile, ExamFileBytes(3));
  files.FailNthSync(1, platform::kDeviceIoError);
  r = DeleteAndRenumber(s, Staging::WorkFile, 2);
  EXPECT_EQ(r.outcome, RebuildOutcome::Unchanged);
  EXPECT_EQ(memory.ReadBytes(kDataFile), ExamFileBytes(3));
}

TEST_F(RebuildsTest, AFailedReopenAfterTheRenameSaysTheChangeWasMade) {
  Start(kDataFile, ExamFileBytes(3));
  // Opens of a delete: the staging file is emptied (seven files reopened),
  // the working file opened, then after the rename the data file first.
  int opens = 0;
  {
    MemoryFileSystem probeMemory;
    FaultyFileSystem probe{probeMemory};
    Store p{probe};
    probeMemory.WriteBytes(kDataFile, ExamFileBytes(3));
    ASSERT_TRUE(p.StartUp().ok());
    const int before = probe.OpensSeen();
    ASSERT_TRUE(DeleteAndRenumber(p, Staging::WorkFile, 2).ok());
    opens = probe.OpensSeen() - before;
  }
  // The last seven opens are the reopening after the rename; the data file
  // comes first, and fails for writing and for reading.
  files.FailNthOpen(opens - 6, platform::kPermissionDenied, 2);
  const RebuildResult r = DeleteAndRenumber(s, Staging::WorkFile, 2);
  EXPECT_EQ(r.outcome, RebuildOutcome::ReplacedThenFailed);
  EXPECT_EQ(r.status.error, platform::kPermissionDenied);
  EXPECT_EQ(memory.ReadBytes(kDataFile), FileBytes({Exam(1), Renumbered(Exam(3), 2)}));
  EXPECT_FALSE(s.DataFile());
  EXPECT_TRUE(s.MasterFile());
}

TEST_F(RebuildsTest, CopyingTheDataFileMakesTheWorkingFile) {
  const std::string original = ExamFileBytes(2500) + "xy";  // a partial tail is copied too
  Start(kDataFile, original);
  const RebuildResult r = CopyToStaging(s, Staging::WorkFile, &progress);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(memory.ReadBytes(kWorkFile), original);
  EXPECT_EQ(memory.ReadBytes(kDataFile), original);
  EXPECT_TRUE(s.WorkFile());
  EXPECT_EQ(s.WorkRecordCount(), 2500);
  EXPECT_EQ(progress.value, 2500);
  EXPECT_FALSE(progress.visible);
  EXPECT_FALSE(memory.Exists("C:\\VLN2\\TEMP.DATA.PART"));

  Start(kMasterFile, FileBytes({Patient(1), Patient(2)}));
  ASSERT_TRUE(CopyToStaging(s, Staging::ScratchFile).ok());
  EXPECT_EQ(memory.ReadBytes(kScratchFile), FileBytes({Patient(1), Patient(2)}));
}

TEST_F(RebuildsTest, AFailedCopyLeavesNoPartialWorkingFile) {
  const std::string original = ExamFileBytes(4000);
  int failures = 0;
  for (int failAt = 1; failAt < 50; ++failAt) {
    memory.WriteBytes(kDataFile, original);
    ASSERT_TRUE(s.StartUp().ok());
    memory.WriteBytes(kWorkFile, "an older list");
    ASSERT_TRUE(s.OpenWorkFile().ok());
    files.FailNthWrite(failAt);
    const RebuildResult r = CopyToStaging(s, Staging::WorkFile, &progress);
    files.Heal();
    if (r.ok()) break;
    ++failures;
    EXPECT_EQ(r.outcome, RebuildOutcome::Unchanged);
    EXPECT_EQ(memory.ReadBytes(kWorkFile), "an older list");
    EXPECT_FALSE(memory.Exists("C:\\VLN2\\TEMP.DATA.PART"));
    EXPECT_EQ(memory.ReadBytes(kDataFile), original);
    EXPECT_FALSE(progress.visible);
  }
  EXPECT_GE(failures, 3);

  // Without an older list, a failed copy leaves no working file at all.
  memory.WriteBytes(kDataFile, original);
  ASSERT_TRUE(files.Delete(kWorkFile).ok());
  ASSERT_TRUE(s.StartUp().ok());
  files.FailNthRename(1);
  EXPECT_EQ(CopyToStaging(s, Staging::WorkFile).outcome, RebuildOutcome::Unchanged);
  EXPECT_FALSE(memory.Exists(kWorkFile));
  EXPECT_FALSE(memory.Exists("C:\\VLN2\\TEMP.DATA.PART"));
  EXPECT_FALSE(s.WorkFile());
}

}  // namespace

namespace {

// A change of the patient master leaves the examination list that is being
// browsed (a copy or a search result) open with its records.
TEST_F(RebuildsTest, APatientChangeKeepsTheExaminationListOpen) {
  const struct {
    const char* what;
    std::function<RebuildResult(Store&)> change;
  } changes[] = {
      {"insert", [](Store& st) { return InsertPatientInIdOrder(st, Patient(150)); }},
      {"delete", [](Store& st) { return DeleteAndRenumber(st, Staging::ScratchFile, 1); }},
      {"list copy", [](Store& st) { return CopyToStaging(st, Staging::ScratchFile); }},
  };
  for (const auto& c : changes) {
    SCOPED_TRACE(c.what);
    memory.WriteBytes(kMasterFile, FileBytes({Patient(100), Patient(200)}));
    Start(kDataFile, ExamFileBytes(3));
    ASSERT_TRUE(CopyToStaging(s, Staging::WorkFile).ok());
    memory.WriteBytes(kWorkFile, ExamFileBytes(1));  // a search result of one hit
    ASSERT_TRUE(c.change(s).ok());
    ASSERT_TRUE(s.WorkFile());
    ExamRecord row;
    ASSERT_TRUE(s.WorkFile()->Read(1, row).ok());
    EXPECT_EQ(s.WorkFile()->Count(), 1);
  }
}

}  // namespace

namespace {

// On a real drive the copy is made by the operating system: over an older
// working copy, in pieces, a partial tail included, byte for byte.
TEST(RebuildsOnADrive, TheListCopyReplacesAnOlderWorkingCopy) {
  const struct {
    int records;
    std::string tail;
  } cases[] = {{3, ""}, {20000, "xy"}};  // one piece; two pieces and a tail
  for (const auto& c : cases) {
    SCOPED_TRACE(c.records);
    testing_support::TempDrive t;
    const std::string original = testing_support::ExamFileBytes(c.records) + c.tail;
    t.WriteBytes(kDataFile, original);
    t.WriteBytes(kWorkFile, std::string(15000000, 'z'));  // a longer, older list
    platform::PosixFileSystem files{t.Drive()};
    Store s{files};
    ASSERT_TRUE(s.StartUp().ok());
    RecordingProgress progress;
    ASSERT_TRUE(CopyToStaging(s, Staging::WorkFile, &progress).ok());
    EXPECT_TRUE(t.ReadBytes(kWorkFile) == original);
    EXPECT_EQ(s.WorkRecordCount(), c.records);
    EXPECT_EQ(progress.value, c.records);
    EXPECT_FALSE(std::filesystem::exists(t.Drive().ToHost("C:\\VLN2\\TEMP.DATA.PART")));
    s.CloseAllFiles();
  }
}

}  // namespace
