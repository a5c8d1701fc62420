// The patient master's store routines: registration in place and in ID
// order, the search by the beginning of a field, the bulk ID check, the
// lookups of a master out of ID order, and rebuilds that fail.
#include <functional>

#include "store/patients.h"
#include "store/rebuilds.h"
#include "store/sort_file.h"
#include "tests/patients/fixture.h"
#include "tests/support/recording_progress.h"
#include "tests/support/records.h"

namespace patients_test {
namespace {

using namespace store;
using testing_support::Patient;
using Ids = std::vector<std::string>;

class PatientStoreTest : public PatientsTest {
 protected:
  void Open(const std::vector<int>& ids) {
    WriteMaster(ids);
    ASSERT_TRUE(store.StartUp().ok());
  }
  testing_support::RecordingProgress progress;
};

TEST_F(PatientStoreTest, ANewSmallestIdLandsAtRecordOneAndShiftsTheRest) {
  Open({10, 20, 30});
  const PatientRegistration r = RegisterPatient(store, Patient(5), &progress);
  ASSERT_TRUE(r.result.ok());
  EXPECT_FALSE(r.overwritten);
  EXPECT_EQ(r.position, 1);
  EXPECT_EQ(IdsOf(Master()), (Ids{"000005", "000010", "000020", "000030"}));
  // One form of RecordNo: each record's position in ten digits.
  EXPECT_EQ(RecordNosOf(Master()), (Ids{"0000000001", "0000000002", "0000000003", "0000000004"}));
  EXPECT_EQ(store.PatientCount, 4);
  EXPECT_FALSE(progress.visible);
  EXPECT_EQ(Scratch(), "");
}

TEST_F(PatientStoreTest, AnExistingIdIsOverwrittenInPlaceWithoutARebuild) {
  Open({10, 20, 30});
  const std::string before = Master();
  const int renames = files.RenamesSeen();
  const PatientRecord changed = Patient("20").With(PatientField::Name, "山田太郎");
  const PatientRegistration r = RegisterPatient(store, changed);
  ASSERT_TRUE(r.result.ok());
  EXPECT_TRUE(r.overwritten);
  EXPECT_EQ(r.position, 2);
  EXPECT_EQ(files.RenamesSeen(), renames);
  const std::string after = Master();
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(after.substr(0, 127), before.substr(0, 127));
  EXPECT_EQ(after.substr(254), before.substr(254));
  PatientRecord expected = changed;
  expected.Set(PatientField::RecordNo, "0000000002");
  EXPECT_EQ(after.substr(127, 127), expected.Bytes());
}

TEST_F(PatientStoreTest, TheFirstPatientIsRecordOne) {
  Open({});
  const PatientRegistration r = RegisterPatient(store, Patient(45));
  ASSERT_TRUE(r.result.ok());
  EXPECT_EQ(r.position, 1);
  EXPECT_EQ(RecordNosOf(Master()), (Ids{"0000000001"}));
  EXPECT_EQ(files.RenamesSeen(), 0);
}

// Hits in master order, each with its master record number; the field is
// compared as stored, padding blanks included; case and width count.
TEST_F(PatientStoreTest, SearchHitsInMasterOrderWithTheirMasterNumbers) {
  std::string bytes;
  const char* names[] = {"山田太郎", "田中", "山本", "ﾔﾏﾀﾞ", "山", "Yamada", "yamada"};
  for (int i = 0; i < 7; ++i)
    bytes += Patient((i + 1) * 10).With(PatientField::Name, names[i]).Bytes();
  t.WriteBytes(kMasterFile, bytes);
  ASSERT_TRUE(store.StartUp().ok());
  std::int32_t hits = 0;
  ASSERT_TRUE(SearchPatients(store, PatientSearchField::Name, "山", progress, hits).ok());
  EXPECT_EQ(hits, 3);
  EXPECT_EQ(IdsOf(Scratch()), (Ids{"000010", "000030", "000050"}));
  EXPECT_EQ(RecordNosOf(Scratch()), (Ids{"0000000001", "0000000003", "0000000005"}));
  EXPECT_EQ(store.PatientListMode, 0);
  EXPECT_EQ(store.PatientListCount, 3);
  EXPECT_EQ(progress.value, 7);
  EXPECT_FALSE(progress.visible);

  ASSERT_TRUE(SearchPatients(store, PatientSearchField::Name, "山 ", progress, hits).ok());
  EXPECT_EQ(IdsOf(Scratch()), (Ids{"000050"}));  // "山" and its padding blank
  ASSERT_TRUE(SearchPatients(store, PatientSearchField::Name, "Yama", progress, hits).ok());
  EXPECT_EQ(IdsOf(Scratch()), (Ids{"000060"}));
  ASSERT_TRUE(SearchPatients(store, PatientSearchField::Name, "ﾔﾏ", progress, hits).ok());
  EXPECT_EQ(IdsOf(Scratch()), (Ids{"000040"}));
}

TEST_F(PatientStoreTest, ASearchWithoutAHitLeavesNoRowsInTheScratchFile) {
  Open({10, 20, 30});
  ASSERT_TRUE(OpenListOfAllPatients(store).ok());
  ASSERT_EQ(IdsOf(Scratch()).size(), 3u);
  std::int32_t hits = -1;
  ASSERT_TRUE(SearchPatients(store, PatientSearchField::Reading, "ｱ", progress, hits).ok());
  EXPECT_EQ(hits, 0);
  EXPECT_EQ(Scratch(), "");
  EXPECT_EQ(store.PatientListCount, 0);
  // A search that cannot write its hits leaves none either.
  files.FailNthWrite(1, platform::kDiskFull);
  EXPECT_EQ(SearchPatients(store, PatientSearchField::Reading, "ｶ", progress, hits).error,
            platform::kDiskFull);
  files.Heal();
  EXPECT_EQ(hits, 0);
  EXPECT_EQ(Scratch(), "");
  EXPECT_FALSE(progress.visible);
}

TEST_F(PatientStoreTest, BulkIdsAreCheckedAgainstTheRowsAndTheMaster) {
  Open({10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120});
  EXPECT_EQ(CheckBulkId(store, "15", {}).text, "000015");
  EXPECT_EQ(CheckBulkId(store, "15", {}).outcome, BulkIdCheck::Accepted);
  EXPECT_EQ(CheckBulkId(store, "1234567", {}).outcome, BulkIdCheck::TooLong);
  EXPECT_EQ(CheckBulkId(store, "0000015", {}).outcome, BulkIdCheck::TooLong);
  EXPECT_EQ(CheckBulkId(store, "12a", {}).outcome, BulkIdCheck::TooLong);
  EXPECT_EQ(CheckBulkId(store, "110", {}).outcome, BulkIdCheck::InUse);
  EXPECT_EQ(CheckBulkId(store, "15", {"", "000015"}).outcome, BulkIdCheck::InUse);
  EXPECT_EQ(CheckBulkId(store, "15", {"16", "abc"}).outcome, BulkIdCheck::Accepted);
}

// New patients appended without the re-sort: the bisection alone would miss
// them, the lookups scan such a master.
TEST_F(PatientStoreTest, AMasterOutOfIdOrderIsStillSearchedWhole) {
  Open({10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120});
  const std::vector<PatientRecord> added = {Patient(5), Patient(65)};
  ASSERT_TRUE(AppendPatients(store, added).ok());
  EXPECT_EQ(RecordNosOf(Master()).back(), "0000000014");
  store.FindPatientById(5);
  EXPECT_EQ(store.FoundPatientNo, 13);
  EXPECT_EQ(store.LookupPatientById(65), LookupOutcome::Done);
  EXPECT_EQ(store.FoundPatientNo, 14);
  EXPECT_EQ(CheckBulkId(store, "5", {}).outcome, BulkIdCheck::InUse);
  // An ordered master is not scanned: a miss costs the bisection's probes.
  ASSERT_TRUE(DeletePatient(store, 13).ok());
  ASSERT_TRUE(DeletePatient(store, 13).ok());
  std::vector<std::int32_t> probes;
  store.PatientProbeLog = &probes;
  store.FindPatientById(55);
  store.FindPatientById(55);
  store.PatientProbeLog = nullptr;
  EXPECT_EQ(store.FoundPatientNo, 0);
  EXPECT_LT(probes.size(), 12u);
}

// The master sort: sixteen-character lines "1,6,A", equal IDs in their
// earlier order.
TEST_F(PatientStoreTest, TheMasterSortIsStableForEqualIds) {
  std::string bytes;
  bytes += Patient(30).Bytes();
  bytes += Patient(10).With(PatientField::Name, "先").Bytes();
  bytes += Patient(20).Bytes();
  bytes += Patient("10").With(PatientField::Name, "後").Bytes();
  t.WriteBytes(kMasterFile, bytes);
  ASSERT_TRUE(store.StartUp().ok());
  ui.Expect("患者マスタを昇順に並べ替えますか？", platform::kAnswerYes);
  EXPECT_EQ(SortFile(store, ui, progress, kPatientsById, sort.Factory()), SortOutcome::Sorted);
  EXPECT_EQ(sort.Param(), "1,6,A");
  EXPECT_EQ(sort.Lines(),
            (Ids{"0000300000000001", "0000100000000002", "0000200000000003", "0000100000000004"}));
  const auto sorted = testing_support::PatientsOf(Master());
  ASSERT_EQ(sorted.size(), 4u);
  EXPECT_EQ(sorted[0].Get(PatientField::Name), "先");
  EXPECT_EQ(sorted[1].Get(PatientField::Name), "後");
  EXPECT_EQ(IdsOf(Master()), (Ids{"000010", "10", "000020", "000030"}));
  EXPECT_EQ(RecordNosOf(Master()), (Ids{"0000000001", "0000000002", "0000000003", "0000000004"}));
}

// Every rebuild of the master, with each write (then the rename) failing in
// turn: the master stays byte for byte, no scratch rows are left, and the
// failure is reported.
TEST_F(PatientStoreTest, AFailingFileSystemLeavesTheMasterByteIdentical) {
  std::vector<int> ids;
  for (int i = 1; i <= 3000; ++i) ids.push_back(i * 2);
  const std::string original = MasterBytes(ids);
  const std::vector<std::pair<const char*, std::function<RebuildResult()>>> rebuilds = {
      {"insert", [&] { return RegisterPatient(store, Patient(1001), &progress).result; }},
      {"delete", [&] { return DeletePatient(store, 17, &progress); }},
      {"delete all", [&] { return DeleteWholeMaster(store); }},
      {"sort",
       [&] {
         std::vector<std::int32_t> reversed;
         for (std::int32_t n = store.PatientCount; n >= 1; --n) reversed.push_back(n);
         return ReorderByPositions(store, Staging::ScratchFile, reversed, &progress);
       }},
  };
  for (const auto& [name, rebuild] : rebuilds) {
    for (int failAt = 1;; ++failAt) {
      t.WriteBytes(kMasterFile, original);
      ASSERT_TRUE(store.StartUp().ok());
      files.FailNthWrite(failAt);
      const RebuildResult r = rebuild();
      files.Heal();
      if (r.ok()) break;
      EXPECT_EQ(r.outcome, RebuildOutcome::Unchanged) << name << " write " << failAt;
      EXPECT_EQ(r.status.error, platform::kDiskFull) << name;
      EXPECT_TRUE(Master() == original) << name << " write " << failAt;
      EXPECT_EQ(Scratch(), "") << name;
      ASSERT_LT(failAt, 50) << name;
    }
    t.WriteBytes(kMasterFile, original);
    ASSERT_TRUE(store.StartUp().ok());
    files.FailNthRename(1);
    const RebuildResult r = rebuild();
    files.Heal();
    EXPECT_EQ(r.outcome, RebuildOutcome::Unchanged) << name;
    EXPECT_TRUE(Master() == original) << name;
    EXPECT_EQ(store.PatientCount, 3000) << name;
  }
}

}  // namespace
}  // namespace patients_test
