// The patient master: its store routines (registration in place and in ID
// order, the search by the beginning of a field, the bulk ID check, the
// lookups of a master out of ID order, rebuilds that fail) and the
// workflows of the patient session over them.
#include "sessions/patient_session.h"

#include "store/change_recorder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/error_text.h"
#include "store/patients.h"
#include "store/rebuilds.h"
#include "store/sort_file.h"
#include "store/text_format.h"
#include "tests/store_faults/access_file_system.h"
#include "tests/support/fake_ui.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/recording_progress.h"
#include "tests/support/records.h"
#include "tests/support/scripted_sort.h"
#include "tests/support/temp_drive.h"

namespace {

using namespace store;
using sessions::Done;
using testing_support::Patient;
using Ids = std::vector<std::string>;

std::string MasterBytes(const std::vector<int>& ids) {
  std::string bytes;
  for (int id : ids) bytes += Patient(id).Bytes();
  return bytes;
}

Ids IdsOf(const std::string& bytes) {
  Ids ids;
  for (const PatientRecord& p : testing_support::PatientsOf(bytes)) {
    ids.push_back(p.Get(PatientField::PatientId));
  }
  return ids;
}

Ids RecordNosOf(const std::string& bytes) {
  Ids numbers;
  for (const PatientRecord& p : testing_support::PatientsOf(bytes)) {
    numbers.emplace_back(p.Raw(PatientField::RecordNo));
  }
  return numbers;
}

std::vector<std::string> Texts(const std::vector<sessions::Message>& messages) {
  std::vector<std::string> texts;
  for (const sessions::Message& m : messages) texts.push_back(m.text);
  return texts;
}

// A master on the in-memory drive, the store, and the patient session with
// a fake Ui (every question must be expected), a recording progress and a
// scripted sort. Every change of the master the session reports is kept.
class PatientSessionTest : public ::testing::Test {
 protected:
  PatientSessionTest() {
    session.SetSortJobs(sort.Factory());
    session.OnMasterChanged = [this](bool reordered) { changes.push_back(reordered); };
  }
  void TearDown() override {
    for (const std::string& u : ui.Unexpected()) ADD_FAILURE() << u;
    EXPECT_TRUE(ui.AllAnswered());
  }
  void Open(const std::vector<int>& ids) {
    memory.WriteBytes(kMasterFile, MasterBytes(ids));
    ASSERT_TRUE(store.StartUp().ok());
  }
  std::string Master() const { return memory.ReadBytes(kMasterFile); }
  std::string Scratch() const { return memory.ReadBytes(kScratchFile); }

  testing_support::MemoryFileSystem memory;
  testing_support::FaultyFileSystem files{memory};
  Store store{files};
  testing_support::FakeUi ui;
  testing_support::RecordingProgress progress;
  testing_support::ScriptedSort sort;
  sessions::PatientSession session{store, ui, progress};
  std::vector<bool> changes;
};

TEST_F(PatientSessionTest, ANewSmallestIdLandsAtRecordOneAndShiftsTheRest) {
  Open({10, 20, 30});
  const PatientRegistration r = RegisterPatient(store, Patient(5), &progress);
  ASSERT_TRUE(r.result.ok());
  EXPECT_FALSE(r.overwritten);
  EXPECT_EQ(r.position, 1);
  EXPECT_EQ(IdsOf(Master()), (Ids{"000005", "000010", "000020", "000030"}));
  // One form of RecordNo: each record's position in ten digits.
  EXPECT_EQ(RecordNosOf(Master()), (Ids{"0000000001", "0000000002", "0000000003", "0000000004"}));
  EXPECT_EQ(store.PatientCount(), 4);
  EXPECT_FALSE(progress.visible);
  EXPECT_EQ(Scratch(), "");
}

TEST_F(PatientSessionTest, AnExistingIdIsOverwrittenInPlaceWithoutARebuild) {
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

TEST_F(PatientSessionTest, TheFirstPatientIsRecordOne) {
  Open({});
  const PatientRegistration r = RegisterPatient(store, Patient(45));
  ASSERT_TRUE(r.result.ok());
  EXPECT_EQ(r.position, 1);
  EXPECT_EQ(RecordNosOf(Master()), (Ids{"0000000001"}));
  EXPECT_EQ(files.RenamesSeen(), 0);
}

// Hits in master order, each with its master record number; the field is
// compared as stored, padding blanks included; case and width count.
TEST_F(PatientSessionTest, SearchHitsInMasterOrderWithTheirMasterNumbers) {
  std::string bytes;
  const char* names[] = {"山田太郎", "田中", "山本", "ﾔﾏﾀﾞ", "山", "Yamada", "yamada"};
  for (int i = 0; i < 7; ++i)
    bytes += Patient((i + 1) * 10).With(PatientField::Name, names[i]).Bytes();
  memory.WriteBytes(kMasterFile, bytes);
  ASSERT_TRUE(store.StartUp().ok());
  std::int32_t hits = 0;
  ASSERT_TRUE(SearchPatients(store, PatientSearchField::Name, "山", progress, hits).ok());
  EXPECT_EQ(hits, 3);
  EXPECT_EQ(IdsOf(Scratch()), (Ids{"000010", "000030", "000050"}));
  EXPECT_EQ(RecordNosOf(Scratch()), (Ids{"0000000001", "0000000003", "0000000005"}));
  EXPECT_EQ(progress.value, 7);
  EXPECT_FALSE(progress.visible);

  ASSERT_TRUE(SearchPatients(store, PatientSearchField::Name, "山 ", progress, hits).ok());
  EXPECT_EQ(IdsOf(Scratch()), (Ids{"000050"}));  // "山" and its padding blank
  ASSERT_TRUE(SearchPatients(store, PatientSearchField::Name, "Yama", progress, hits).ok());
  EXPECT_EQ(IdsOf(Scratch()), (Ids{"000060"}));
  ASSERT_TRUE(SearchPatients(store, PatientSearchField::Name, "ﾔﾏ", progress, hits).ok());
  EXPECT_EQ(IdsOf(Scratch()), (Ids{"000040"}));
}

TEST_F(PatientSessionTest, ASearchWithoutAHitLeavesNoRowsInTheScratchFile) {
  Open({10, 20, 30});
  ASSERT_TRUE(OpenListOfAllPatients(store).ok());
  ASSERT_EQ(IdsOf(Scratch()).size(), 3u);
  std::int32_t hits = -1;
  ASSERT_TRUE(SearchPatients(store, PatientSearchField::Reading, "ｱ", progress, hits).ok());
  EXPECT_EQ(hits, 0);
  EXPECT_EQ(Scratch(), "");
  // A search that cannot write its hits leaves none either.
  files.FailNthWrite(1, platform::kDiskFull);
  EXPECT_EQ(SearchPatients(store, PatientSearchField::Reading, "ｶ", progress, hits).error,
            platform::kDiskFull);
  files.Heal();
  EXPECT_EQ(hits, 0);
  EXPECT_EQ(Scratch(), "");
  EXPECT_FALSE(progress.visible);
}

TEST_F(PatientSessionTest, BulkIdsAreCheckedAgainstTheRowsAndTheMaster) {
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
TEST_F(PatientSessionTest, AMasterOutOfIdOrderIsStillSearchedWhole) {
  Open({10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120});
  const std::vector<PatientRecord> added = {Patient(5), Patient(65)};
  ASSERT_TRUE(AppendPatients(store, added).ok());
  EXPECT_EQ(RecordNosOf(Master()).back(), "0000000014");
  EXPECT_EQ(store.FindPatient(5).position, 13);
  EXPECT_EQ(store.LookupPatient(65).position, 14);
  EXPECT_EQ(CheckBulkId(store, "5", {}).outcome, BulkIdCheck::InUse);
  // An ordered master is not scanned: a miss costs the bisection's probes.
  ASSERT_TRUE(DeletePatient(store, 13).ok());
  ASSERT_TRUE(DeletePatient(store, 13).ok());
  std::vector<std::int32_t> probes;
  store.SetPatientProbeLog(&probes);
  (void)store.FindPatient(55);
  EXPECT_EQ(store.FindPatient(55).position, 0);
  store.SetPatientProbeLog(nullptr);
  EXPECT_LT(probes.size(), 12u);
}

// The master sort: sixteen-character lines "1,6,A", equal IDs in their
// earlier order.
TEST_F(PatientSessionTest, TheMasterSortIsStableForEqualIds) {
  std::string bytes;
  bytes += Patient(30).Bytes();
  bytes += Patient(10).With(PatientField::Name, "先").Bytes();
  bytes += Patient(20).Bytes();
  bytes += Patient("10").With(PatientField::Name, "後").Bytes();
  memory.WriteBytes(kMasterFile, bytes);
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
TEST_F(PatientSessionTest, AFailingFileSystemLeavesTheMasterByteIdentical) {
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
         for (std::int32_t n = store.PatientCount(); n >= 1; --n) reversed.push_back(n);
         return ReorderByPositions(store, Staging::ScratchFile, reversed, &progress);
       }},
  };
  for (const auto& [name, rebuild] : rebuilds) {
    for (int failAt = 1;; ++failAt) {
      memory.WriteBytes(kMasterFile, original);
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
    memory.WriteBytes(kMasterFile, original);
    ASSERT_TRUE(store.StartUp().ok());
    files.FailNthRename(1);
    const RebuildResult r = rebuild();
    files.Heal();
    EXPECT_EQ(r.outcome, RebuildOutcome::Unchanged) << name;
    EXPECT_TRUE(Master() == original) << name;
    EXPECT_EQ(store.PatientCount(), 3000) << name;
  }
}

// --- The registration window's workflows ------------------------------------------

TEST_F(PatientSessionTest, TheRegistrationWindowLooksUpBrowsesAndKeepsItsNumber) {
  Open({10, 20, 30});
  EXPECT_EQ(session.OpenForNewPatient(), 4);
  const sessions::IdLookupOutcome found = session.LookUpId("000020");
  EXPECT_EQ(found.result, sessions::IdLookup::Found);
  EXPECT_EQ(found.position, 2);
  EXPECT_EQ(found.fileNumber, "000002");
  EXPECT_EQ(found.record.Get(PatientField::Name), "患者000020");
  EXPECT_EQ(session.FileNumber(), 2);
  for (const char* nobody : {"000025", "abc"}) {
    const sessions::IdLookupOutcome none = session.LookUpId(nobody);
    EXPECT_EQ(none.result, sessions::IdLookup::NewPatient) << nobody;
    EXPECT_TRUE(none.Silent());
    EXPECT_EQ(session.FileNumber(), 4) << nobody;
  }
  // Browsing: from a new patient's number back to the last record, and on.
  EXPECT_EQ(session.Previous().position, 3);
  EXPECT_FALSE(session.Next().tried);
  EXPECT_EQ(session.Previous().fileNumber, "000002");
  EXPECT_EQ(session.GoTo(1).position, 1);
  EXPECT_FALSE(session.Previous().tried);
  EXPECT_FALSE(session.GoTo(4).tried);
  session.Clear();
  EXPECT_EQ(session.Next().position, 1);  // an empty number counts as 0

  Open({});
  const sessions::IdLookupOutcome empty = session.LookUpId("000001");
  EXPECT_EQ(empty.result, sessions::IdLookup::EmptyMaster);
  EXPECT_EQ(Texts(empty.messages), Ids{"患者マスタのデータ数は０です。"});
}

TEST_F(PatientSessionTest, RegistrationChecksTheIdAndTheName) {
  const struct {
    const char* id;
    const char* name;
    sessions::RegistrationCheck expected;
    const char* message;
  } cases[] = {
      {"", "山田", sessions::RegistrationCheck::BadId, "ID 入力が不正です。"},
      {"1234567", "山田", sessions::RegistrationCheck::BadId, "ID 入力が不正です。"},
      {"１２３４５６７", "山田", sessions::RegistrationCheck::BadId, "ID 入力が不正です。"},
      {"12", "", sessions::RegistrationCheck::NoName, "氏名が入力されていません。"},
      {"12", "山田", sessions::RegistrationCheck::Accepted, nullptr},
  };
  for (const auto& c : cases) {
    sessions::Outcome outcome;
    EXPECT_EQ(sessions::PatientSession::CheckRegistration(c.id, c.name, outcome), c.expected)
        << c.id;
    EXPECT_EQ(Texts(outcome.messages), c.message ? Ids{c.message} : Ids{}) << c.id;
  }
}

TEST_F(PatientSessionTest, RegisteringInsertsOrOverwritesAndTellsTheWindows) {
  Open({10, 20, 30});
  ASSERT_TRUE(session.Register(Patient(15)).ok());
  EXPECT_EQ(IdsOf(Master()), (Ids{"000010", "000015", "000020", "000030"}));
  EXPECT_EQ(session.FileNumber(), 5);  // the form is a new patient's again
  ASSERT_TRUE(session.Register(Patient("20").With(PatientField::Name, "山田")).ok());
  EXPECT_EQ(testing_support::PatientsOf(Master())[2].Get(PatientField::Name), "山田");
  EXPECT_EQ(changes, (std::vector<bool>{true, false}));
  EXPECT_FALSE(ui.busyCursor);

  const std::string before = Master();
  files.FailNthWrite(1);
  const sessions::CommandOutcome failed = session.Register(Patient(25));
  files.Heal();
  EXPECT_EQ(failed.result, Done::Failed);
  EXPECT_EQ(Texts(failed.messages), Ids{"61：ディスクがいっぱいです。"});
  EXPECT_EQ(Master(), before);
  EXPECT_EQ(changes.size(), 2u);
}

TEST_F(PatientSessionTest, DeletingTheShownPatientListsTheRest) {
  Open({10, 20, 30});
  session.Clear();
  const sessions::DeletionOutcome refused = session.DeleteShown();
  EXPECT_EQ(refused.result, Done::Refused);
  EXPECT_EQ(Texts(refused.messages), Ids{"削除できません。"});

  ASSERT_TRUE(session.ShowPatient(2).shown());
  const sessions::DeletionOutcome deleted = session.DeleteShown();
  ASSERT_TRUE(deleted.ok());
  EXPECT_TRUE(deleted.listed);
  EXPECT_EQ(IdsOf(Master()), (Ids{"000010", "000030"}));
  EXPECT_EQ(Scratch(), Master());
  EXPECT_EQ(session.Page().count, 2);
  EXPECT_EQ(changes, std::vector<bool>{true});

  Open({10});
  ASSERT_TRUE(session.ShowPatient(1).shown());
  const sessions::DeletionOutcome last = session.DeleteShown();
  EXPECT_TRUE(last.ok());
  EXPECT_FALSE(last.listed);
}

// --- The list ------------------------------------------------------------------------

TEST_F(PatientSessionTest, TheWholeMasterIsPagedWithPositionsAsKeys) {
  Open({});
  EXPECT_EQ(Texts(session.OpenWholeList().messages), Ids{"患者マスタは登録されていません。"});
  std::vector<int> ids;
  for (int n = 1; n <= 30; ++n) ids.push_back(n * 3);
  Open(ids);
  ASSERT_TRUE(session.OpenWholeList().ok());
  sessions::PatientListPage page = session.Page();
  ASSERT_EQ(page.rows.size(), 15u);
  EXPECT_EQ(page.rows[0].fileNumber, "0000000001");
  EXPECT_EQ(page.rows[0].masterNo, 1);
  EXPECT_EQ(page.rows[0].id, "000003");
  EXPECT_EQ(page.rows[0].name, "患者000003");
  EXPECT_EQ(page.rows[0].birthDate, "1970/05/05");
  EXPECT_EQ(page.count, 30);
  EXPECT_EQ(page.pageCount, 2);

  EXPECT_TRUE(session.NextPage().Silent());
  page = session.Page();
  EXPECT_EQ(page.pageNumber, 2);
  EXPECT_EQ(page.rows.front().masterNo, 16);
  EXPECT_EQ(page.rows.back().fileNumber, "0000000030");
  const sessions::Outcome past = session.NextPage();
  EXPECT_EQ(Texts(past.messages), Ids{"データは以上です。"});
  EXPECT_EQ(past.messages[0].style, platform::kCritical);
  EXPECT_TRUE(session.GoToPage(7));
  EXPECT_EQ(session.PageNumber(), 2);
  EXPECT_TRUE(session.PreviousPage().Silent());
  EXPECT_FALSE(session.PreviousPage().Silent());
}

TEST_F(PatientSessionTest, ARowOpensItsPatientOrFindsItAgainByItsId) {
  Open({10, 20, 30});
  ASSERT_TRUE(session.OpenWholeList().ok());
  ASSERT_EQ(session.Page().rows.size(), 3u);
  EXPECT_FALSE(session.GoToPage(1));  // one page: the slider goes back
  const sessions::PatientShown second = session.OpenRow(1);
  EXPECT_EQ(second.position, 2);
  EXPECT_EQ(second.fileNumber, "0000000002");
  EXPECT_FALSE(session.OpenRow(5).tried);

  // The master moves under the rows shown.
  ASSERT_TRUE(session.Register(Patient(5)).ok());
  const sessions::PatientShown moved = session.OpenRow(1);
  EXPECT_EQ(moved.position, 3);
  EXPECT_EQ(moved.fileNumber, "000003");
  EXPECT_EQ(session.FileNumber(), 3);
  ASSERT_TRUE(session.ShowPatient(4).shown());
  ASSERT_TRUE(session.DeleteShown().ok());  // 000030
  EXPECT_EQ(Texts(session.OpenRow(2).messages), Ids{"登録されていません。"});
}

TEST_F(PatientSessionTest, AnOpenListFollowsTheMaster) {
  Open({10, 20, 30});
  ASSERT_TRUE(session.OpenWholeList().ok());
  ASSERT_TRUE(session.Register(Patient(40)).ok());
  EXPECT_EQ(session.RefreshList(true), sessions::ListAfterChange::Redraw);
  EXPECT_EQ(session.Page().count, 4);

  ASSERT_TRUE(session.SearchBeginning(PatientSearchField::Name, "患者00002").ok());
  EXPECT_EQ(session.RefreshList(false), sessions::ListAfterChange::Keep);
  EXPECT_EQ(session.RefreshList(true), sessions::ListAfterChange::Hide);
}

// --- The search ------------------------------------------------------------------------

TEST_F(PatientSessionTest, TheChartNumberSearch) {
  Open({10, 20, 30});
  const struct {
    const char* text;
    sessions::ChartSearch result;
    const char* message;
    std::int32_t position;
  } cases[] = {
      {"", sessions::ChartSearch::Empty, "カルテＮＯを入力してください。", 0},
      {"1234567", sessions::ChartSearch::TooLong, "カルテＮＯは６字以内で入力してください。", 0},
      {"abc", sessions::ChartSearch::NotFound, "登録されていません。", 0},
      {"25", sessions::ChartSearch::NotFound, "登録されていません。", 0},
      {"20", sessions::ChartSearch::Found, nullptr, 2},
  };
  for (const auto& c : cases) {
    const sessions::ChartSearchOutcome found = session.SearchChartNumber(c.text);
    EXPECT_EQ(found.result, c.result) << c.text;
    EXPECT_EQ(Texts(found.messages), c.message ? Ids{c.message} : Ids{}) << c.text;
    EXPECT_EQ(found.position, c.position) << c.text;
    EXPECT_EQ(found.listDiscarded, c.result >= sessions::ChartSearch::NotFound) << c.text;
  }
  EXPECT_EQ(session.FileNumber(), 2);
  Open({});
  EXPECT_EQ(session.SearchChartNumber("1").result, sessions::ChartSearch::EmptyMaster);
}

TEST_F(PatientSessionTest, TheSearchByTheBeginningFillsTheList) {
  std::string bytes;
  const char* readings[] = {"ﾔﾏﾀﾞ", "ﾀﾅｶ", "ﾔﾏﾓﾄ"};
  for (int i = 0; i < 3; ++i)
    bytes += Patient((i + 1) * 10).With(PatientField::Reading, readings[i]).Bytes();
  memory.WriteBytes(kMasterFile, bytes);
  ASSERT_TRUE(store.StartUp().ok());

  EXPECT_EQ(Texts(session.SearchBeginning(PatientSearchField::Name, "").messages),
            Ids{"氏名の最初の何文字かを入力して下さい。"});
  EXPECT_EQ(Texts(session.SearchBeginning(PatientSearchField::Reading, "").messages),
            Ids{"ヨミカタの最初の何文字かを入力して下さい。"});
  const sessions::CommandOutcome hits = session.SearchBeginning(PatientSearchField::Reading, "ﾔﾏ");
  ASSERT_TRUE(hits.ok() && hits.Silent());
  const sessions::PatientListPage page = session.Page();
  ASSERT_EQ(page.rows.size(), 2u);
  EXPECT_EQ(page.rows[1].fileNumber, "0000000003");  // the master's number, as stored
  EXPECT_EQ(page.rows[1].masterNo, 3);
  const sessions::CommandOutcome none = session.SearchBeginning(PatientSearchField::Reading, "ｱ");
  EXPECT_TRUE(none.ok());
  EXPECT_EQ(Texts(none.messages), Ids{"登録されていません。"});
  EXPECT_EQ(session.Page().count, 0);
  EXPECT_EQ(session.Page().pageCount, 1);
}

// --- The bulk registration and 全削除 ------------------------------------------------

TEST_F(PatientSessionTest, BulkRowsAreAppendedAndTheMasterSortedWhenWanted) {
  for (int answer : {platform::kAnswerYes, platform::kAnswerNo}) {
    Open({10, 20, 30});
    changes.clear();
    ui.Expect("患者マスタを昇順に並べ替えますか？", answer);
    const std::vector<PatientRecord> rows = {Patient(25), Patient(5)};
    const sessions::CommandOutcome done = session.RegisterBulk(rows);
    EXPECT_EQ(Texts(done.messages), Ids{"登録終了。"});
    if (answer == platform::kAnswerYes) {
      EXPECT_EQ(IdsOf(Master()), (Ids{"000005", "000010", "000020", "000025", "000030"}));
      EXPECT_EQ(changes, (std::vector<bool>{false, true}));
    } else {
      EXPECT_EQ(IdsOf(Master()), (Ids{"000010", "000020", "000030", "000025", "000005"}));
      EXPECT_EQ(changes, std::vector<bool>{false});
      EXPECT_EQ(session.CheckBulkId("5", {}).outcome, BulkIdCheck::InUse);
    }
  }
  files.CountOnlyWritesTo(store::kMasterFile);  // not the history's
  files.FailNthWrite(1);
  ui.Expect("患者マスタを昇順に並べ替えますか？", platform::kAnswerYes);  // asked first
  const sessions::CommandOutcome failed =
      session.RegisterBulk(std::vector{PatientRecord(Patient(7))});
  files.Heal();
  EXPECT_EQ(failed.result, Done::Failed);
  EXPECT_EQ(Texts(failed.messages),
            Ids{"61：ディスクがいっぱいです。\n患者は登録されていません。"});

  Open({});
  EXPECT_EQ(Texts(session.SortMasterAlone().messages), Ids{"患者マスタは登録されていません。"});
}

TEST_F(PatientSessionTest, DeletingTheWholeMaster) {
  Open({10, 20});
  const sessions::CommandOutcome deleted = session.DeleteAll();
  EXPECT_TRUE(deleted.ok());
  EXPECT_EQ(Texts(deleted.messages), Ids{"削除終了。"});
  EXPECT_EQ(Master(), "");
  EXPECT_EQ(session.PatientCount(), 0);
  EXPECT_EQ(changes, std::vector<bool>{true});
}

// The departments of the patient windows: the department list's records.
TEST_F(PatientSessionTest, DepartmentsAreTheDepartmentListsRecords) {
  Open({});
  EXPECT_EQ(session.Departments().size(), 0u);
  std::vector<std::string> entries(45);
  entries[0] = "内科";
  entries[2] = "外科";
  ASSERT_TRUE(store.ReplaceListFile(LookupList::Department, entries).ok());
  EXPECT_EQ(session.Departments(), entries);
}

}  // namespace

namespace {

// Leaving the registration form asks only when what it holds is not what is
// registered: the patient shown as the master holds it, or an empty form.
TEST_F(PatientSessionTest, LeavingAsksOnlyWhenTheFormDiffersFromTheMaster) {
  Open({10, 20, 30});
  const PatientRecord stored = session.ShowPatient(2).record;
  PatientRecord typed = stored;
  typed.Set(PatientField::Remarks, "ペースメーカー");
  PatientRecord idOnly;
  idOnly.Set(PatientField::PatientId, "000045");
  struct Case {
    const char* what;
    bool shown;  // patient 2 shown; else a new patient
    PatientRecord onForm;
    bool asks;
  } cases[] = {
      {"shown as stored", true, stored, false},
      {"shown, remarks typed", true, typed, true},
      {"new, empty", false, PatientRecord(), false},
      {"new, ID typed", false, idOnly, true},
  };
  for (const Case& c : cases) {
    if (c.shown) {
      ASSERT_TRUE(session.ShowPatient(2).shown());
    } else {
      session.OpenForNewPatient();
    }
    const std::optional<sessions::Message> ask = session.AskDiscard(c.onForm);
    EXPECT_EQ(ask.has_value(), c.asks) << c.what;
    if (ask) {
      EXPECT_EQ(ask->text, "入力中のデータは登録されていません。破棄しますか？");
      EXPECT_NE(ask->style & platform::kDefaultButton2, 0) << c.what;
    }
  }
  EXPECT_FALSE(session.HasPatient(0));
  EXPECT_TRUE(session.HasPatient(3));
  EXPECT_FALSE(session.HasPatient(4));
}

// A change made before a later step failed (here the folder sync after the
// rename) is reported as made, with the failure in words.
TEST_F(PatientSessionTest, AChangeMadeBeforeALaterStepFailedSaysSo) {
  const std::string failure =
      "（エラー番号 " + platform::ErrorText(platform::kDeviceIoError) + "）";
  const struct {
    const char* what;
    std::function<sessions::CommandOutcome(sessions::PatientSession&)> command;
    Ids messages;
    Ids after;
  } cases[] = {
      {"登録 of a new ID",
       [](sessions::PatientSession& s) { return s.Register(Patient(15)); },
       {"患者データは登録されましたが、その後の処理でエラーが発生しました。" + failure},
       {"000010", "000015", "000020"}},
      {"削除",
       [](sessions::PatientSession& s) -> sessions::CommandOutcome {
         (void)s.ShowPatient(1);
         return s.DeleteShown();
       },
       {"患者データは削除されましたが、その後の処理でエラーが発生しました。" + failure},
       {"000020"}},
      {"全削除",
       [](sessions::PatientSession& s) { return s.DeleteAll(); },
       {"患者マスタは全削除されましたが、その後の処理でエラーが発生しました。" + failure,
        "削除終了。"},
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    store.CloseAllFiles();
    Open({10, 20});
    ASSERT_TRUE(store::OpenChanges(store).ok());
    // The first three syncs are the history's (the master kept beside it,
    // its folder, the entry); the fifth is the folder sync after the rename.
    files.FailNthSync(5, platform::kDeviceIoError);
    const sessions::CommandOutcome done = c.command(session);
    files.Heal();
    EXPECT_EQ(done.result, Done::Done);
    EXPECT_EQ(Texts(done.messages), c.messages);
    EXPECT_EQ(IdsOf(Master()), c.after);
  }
}

// 登録 over an existing ID whose write fails part-way reports what the
// record now holds: the old patient, or a record that may be damaged.
TEST_F(PatientSessionTest, AnOverwriteThatFailsPartWaySaysWhatIsOnDisk) {
  const PatientRecord changed = Patient("20").With(PatientField::Name, "山田太郎");
  const struct {
    int failures;  // the second failing write is the putting back
    const char* says;
    bool unchanged;
  } cases[] = {
      {1, "61：ディスクがいっぱいです。\n患者データは変更されていません。", true},
      {2,
       "61：ディスクがいっぱいです。\nファイルNO 2 "
       "の患者データは一部だけ書き換わり、壊れている可能性があります。",
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.failures);
    store.CloseAllFiles();
    Open({10, 20, 30});
    const std::string before = Master();
    files.CountOnlyWritesTo(store::kMasterFile);  // not the history's
    files.FailNthWriteShort(1, 20, platform::kDiskFull, c.failures);
    const sessions::CommandOutcome failed = session.Register(changed);
    files.Heal();
    EXPECT_EQ(failed.result, Done::Failed);
    EXPECT_EQ(Texts(failed.messages), Ids{c.says});
    EXPECT_EQ(Master() == before, c.unchanged);
  }
}

}  // namespace

namespace {

// On a read-only drive the commands that would change the master are refused
// up front with the reason, and the list and the search still work: their
// records are kept in memory instead of "KARIKAN.DATA".
TEST(PatientSessionReadOnlyDrive, WritingIsRefusedUpFrontAndReadingWorks) {
  testing_support::TempDrive t;
  store_faults::AccessFileSystem files{t.Drive()};
  {
    Store first(files);
    ASSERT_TRUE(first.StartUp().ok());
  }
  const std::string master = std::string(Patient(10).With(PatientField::Name, "山田").Bytes()) +
                             std::string(Patient(20).With(PatientField::Name, "川口").Bytes()) +
                             std::string(Patient(30).With(PatientField::Name, "山本").Bytes());
  t.WriteBytes(kMasterFile, master);
  files.readOnlyDrive = true;
  Store store(files);
  (void)store.StartUp();
  testing_support::FakeUi ui;
  testing_support::RecordingProgress progress;
  sessions::PatientSession session(store, ui, progress);

  const std::string refusal = session.MasterRefusal(true);
  EXPECT_EQ(refusal,
            "患者マスタ「C:\\MASTA\\KANJYA.MASTA」は読み取り専用のドライブにあるため、"
            "患者の登録・削除・並べ替えはできません。");
  EXPECT_EQ(session.MasterRefusal(false), "");
  ASSERT_TRUE(session.ShowPatient(2).shown());
  const std::vector<PatientRecord> rows = {Patient(40)};
  const std::pair<const char*, std::function<sessions::CommandOutcome()>> writing[] = {
      {"登録", [&] { return session.Register(Patient(40)); }},
      {"削除", [&] { return sessions::CommandOutcome(session.DeleteShown()); }},
      {"一括登録", [&] { return session.RegisterBulk(rows); }},
      {"並べ替え", [&] { return session.SortMasterAlone(); }},
      {"全削除", [&] { return session.DeleteAll(); }},
  };
  for (const auto& [what, command] : writing) {
    SCOPED_TRACE(what);
    const sessions::CommandOutcome refused = command();
    EXPECT_EQ(refused.result, Done::Refused);
    EXPECT_EQ(Texts(refused.messages), Ids{refusal});
  }
  EXPECT_EQ(t.ReadBytes(kMasterFile), master);

  ASSERT_TRUE(session.OpenWholeList().ok());
  EXPECT_EQ(session.Page().rows.size(), 3u);
  EXPECT_EQ(session.OpenRow(1).position, 2);
  const sessions::CommandOutcome searched = session.SearchBeginning(PatientSearchField::Name, "山");
  EXPECT_TRUE(searched.ok() && searched.Silent());
  const sessions::PatientListPage hits = session.Page();
  ASSERT_EQ(hits.rows.size(), 2u);
  EXPECT_EQ(hits.rows[1].id, "000030");
  EXPECT_EQ(hits.rows[1].masterNo, 3);
  EXPECT_TRUE(session.DiscardList().Silent());
  const sessions::ChartSearchOutcome found = session.SearchChartNumber("20");
  EXPECT_EQ(found.result, sessions::ChartSearch::Found);
  EXPECT_EQ(found.position, 2);
  EXPECT_EQ(t.ReadBytes(kScratchFile), "");  // as the last writable run left it
  for (const std::string& u : ui.Unexpected()) ADD_FAILURE() << u;
}

// A master that could not be read is said to be so, not called empty.
TEST(PatientSessionReadOnlyDrive, AMasterThatCannotBeReadIsNotCalledEmpty) {
  testing_support::TempDrive t;
  store_faults::AccessFileSystem files{t.Drive()};
  {
    Store first(files);
    ASSERT_TRUE(first.StartUp().ok());
  }
  files.DenyAll(kMasterFile);
  Store store(files);
  (void)store.StartUp();
  testing_support::FakeUi ui;
  testing_support::RecordingProgress progress;
  sessions::PatientSession session(store, ui, progress);
  const std::string refusal =
      "患者マスタ「C:\\MASTA\\KANJYA.MASTA」を読み込めなかったため、この操作はできません。\n"
      "「C:\\MASTA\\KANJYA.MASTA」を開く権限がありません。";
  EXPECT_EQ(session.MasterRefusal(false), refusal);
  const sessions::CommandOutcome listed = session.OpenWholeList();
  EXPECT_EQ(listed.result, Done::Refused);
  EXPECT_EQ(Texts(listed.messages), Ids{refusal});
  EXPECT_EQ(Texts(session.Register(Patient(10)).messages), Ids{refusal});
}

}  // namespace
