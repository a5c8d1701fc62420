#include <gtest/gtest.h>

#include <QApplication>
#include <QProgressBar>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/component.h"
#include "sortlib/zuvasortmem.h"
#include "store/sort_file.h"
#include "store/store.h"
#include "store/text_format.h"
#include "tests/support/fake_ui.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/records.h"
#include "tests/support/scripted_sort.h"
#include "tests/support/sort_component.h"
#include "tests/support/temp_drive.h"
#include "widgets/progress_window.h"

namespace {

using namespace store;
using testing_support::FakeUi;
using testing_support::TempDrive;

ExamRecord Exam(int position, const std::string& id, const std::string& date) {
  return testing_support::Exam(position)
      .With(ExamField::PatientId, id)
      .With(ExamField::ExamDate, date);
}

enum class SortOrder { ById, ByDate };

// The sort exchange on the data file, as the examination form runs it.
SortOutcome SortDataFile(Store& store, platform::Ui& ui, platform::Progress& progress,
                         SortOrder order,
                         const SortJobFactory& createJob = SortJobFactory(CreateComponentSortJob)) {
  const SortOutcome outcome = SortFile(
      store, ui, progress, order == SortOrder::ById ? kExamsById : kExamsByDate, createJob);
  return outcome == SortOutcome::SortedThenFailed ? SortOutcome::Sorted : outcome;
}

class SortTest : public ::testing::Test {
 protected:
  void TearDown() override {
    store.CloseAllFiles();
    platform::FreeUnusedLibraries();
    EXPECT_EQ(scripted.Live(), 0);
    EXPECT_TRUE(ui.Unexpected().empty()) << ui.Unexpected().front();
  }
  void Register(const char* library) { ASSERT_TRUE(component.Register(library)); }
  void WriteData(const std::vector<ExamRecord>& records) {
    std::string bytes;
    for (const ExamRecord& r : records) bytes += r.Bytes();
    t.WriteBytes(kDataFile, bytes);
    ASSERT_TRUE(store.StartUp().ok());
  }
  std::vector<std::string> Column(ExamField field) {
    std::vector<std::string> values;
    const std::string bytes = t.ReadBytes(kDataFile);
    for (std::size_t at = 0; at + kExamRecordLength <= bytes.size(); at += kExamRecordLength) {
      ExamRecord r;
      std::copy_n(bytes.data() + at, kExamRecordLength, r.data());
      values.push_back(r.Get(field));
    }
    return values;
  }

  TempDrive t;
  // A registry of the test's own, empty until a test registers a library.
  testing_support::SortComponent component{t.Root(), ""};
  testing_support::FaultyFileSystem files{t.Drive()};
  Store store{files};
  FakeUi ui;
  Dialog2 progress;
  // Jobs in this process, handed to the sort through its job factory.
  testing_support::ScriptedSort scripted;
};

using Values = std::vector<std::string>;

TEST_F(SortTest, ByIdThroughTheRealComponent) {
  Register(VELUNOR_SORT_LIBRARY);
  WriteData({Exam(1, "000300", "2006/01/03"), Exam(2, "000100", "2006/01/01"),
             Exam(3, "000200", "2006/01/02")});
  ui.Expect("データをＩＤ順に並べ替えます。", platform::kAnswerYes);
  ui.Expect("終了。");
  EXPECT_EQ(SortDataFile(store, ui, progress, SortOrder::ById), SortOutcome::Sorted);
  EXPECT_EQ(Column(ExamField::PatientId), (Values{"000100", "000200", "000300"}));
  EXPECT_EQ(Column(ExamField::RecordNo), (Values{"000001", "000002", "000003"}));
  EXPECT_EQ(Column(ExamField::Name), (Values{"患者2", "患者3", "患者1"}));
  EXPECT_EQ(Column(ArrhythmiaField(4)), (Values{"心房細動2", "心房細動3", "心房細動1"}));
  EXPECT_EQ(ui.Boxes().back().style, platform::kOkOnly);
  EXPECT_EQ(store.RecordCount(), 3);
  EXPECT_FALSE(files.Exists(kSortExchangeFile));
  EXPECT_FALSE(files.Exists(kWorkFile));
  EXPECT_FALSE(progress.isVisible());
  EXPECT_EQ(progress.ProgressBar1->value(), 3);
}

TEST_F(SortTest, ByDateKeepsTheOrderOfEqualDates) {
  Register(VELUNOR_SORT_LIBRARY);
  WriteData({Exam(1, "000005", "2006/02/01"), Exam(2, "000004", "2006/01/15"),
             Exam(3, "000003", "2006/02/01"), Exam(4, "000002", "2006/01/15"),
             Exam(5, "000001", "2005/12/31")});
  ui.Expect("データを検査日順に並べ替えます。", platform::kAnswerYes);
  ui.Expect("終了。");
  EXPECT_EQ(SortDataFile(store, ui, progress, SortOrder::ByDate), SortOutcome::Sorted);
  EXPECT_EQ(Column(ExamField::PatientId),
            (Values{"000001", "000004", "000002", "000005", "000003"}));
  EXPECT_EQ(Column(ExamField::RecordNo),
            (Values{"000001", "000002", "000003", "000004", "000005"}));
}

TEST_F(SortTest, RefusalsAndNoLeaveEveryFile) {
  Register(VELUNOR_SORT_LIBRARY);
  WriteData({});
  ui.Expect("データがありません。");
  EXPECT_EQ(SortDataFile(store, ui, progress, SortOrder::ById), SortOutcome::Refused);
  EXPECT_EQ(ui.Boxes().back().style, platform::kExclamation);

  WriteData({Exam(1, "000300", "2006/01/03")});
  ui.Expect("データが１件なので並べ替えできません。");
  EXPECT_EQ(SortDataFile(store, ui, progress, SortOrder::ByDate), SortOutcome::Refused);

  const std::vector<ExamRecord> two = {Exam(1, "000300", "2006/01/03"),
                                       Exam(2, "000100", "2006/01/01")};
  WriteData(two);
  const std::string before = t.ReadBytes(kDataFile);
  ui.Expect("データをＩＤ順に並べ替えます。", platform::kAnswerNo);
  EXPECT_EQ(SortDataFile(store, ui, progress, SortOrder::ById), SortOutcome::Refused);
  EXPECT_EQ(t.ReadBytes(kDataFile), before);
  EXPECT_FALSE(files.Exists(kSortExchangeFile));
  EXPECT_FALSE(files.Exists(kWorkFile));
}

// No library registered and none beside the program: the message names every
// file tried and the command that registers one; the data stays as it was.
TEST_F(SortTest, AMissingOrUnregisteredComponentTouchesNothing) {
  const std::filesystem::path empty = t.Root() / "no-library-here";
  std::filesystem::create_directories(empty);
  platform::SetComponentFallbackDirectoriesForTesting(std::vector{empty});
  WriteData({Exam(1, "000300", "2006/01/03"), Exam(2, "000100", "2006/01/01")});
  const std::string before = t.ReadBytes(kDataFile);
  ui.Expect("データをＩＤ順に並べ替えます。", platform::kAnswerYes);
  ui.Expect("");
  EXPECT_EQ(SortDataFile(store, ui, progress, SortOrder::ById), SortOutcome::Failed);
  Register("/nonexistent/ZUVASORTMEM2.so");
  ui.Expect("データをＩＤ順に並べ替えます。", platform::kAnswerYes);
  ui.Expect("");
  EXPECT_EQ(SortDataFile(store, ui, progress, SortOrder::ById), SortOutcome::Failed);
  platform::SetComponentFallbackDirectoriesForTesting(std::nullopt);

  const std::string unregistered = ui.Boxes()[1].prompt;
  const std::string missing = ui.Boxes()[3].prompt;
  for (const std::string& message : {unregistered, missing}) {
    EXPECT_TRUE(message.starts_with(kSortLibraryMissing)) << message;
    EXPECT_NE(message.find((empty / "ZUVASORTMEM2.so").string()), std::string::npos) << message;
    EXPECT_NE(message.find("velunor_regsvr"), std::string::npos) << message;
  }
  EXPECT_NE(missing.find("/nonexistent/ZUVASORTMEM2.so"), std::string::npos) << missing;
  EXPECT_EQ(ui.Boxes().back().style, platform::kCritical);
  EXPECT_EQ(t.ReadBytes(kDataFile), before);
}

// A registry entry left by a build tree that has since been deleted: the
// library beside the program sorts.
TEST_F(SortTest, ARegistryEntryOfADeletedBuildFallsBackToTheLibraryBesideTheProgram) {
  const std::filesystem::path library = VELUNOR_SORT_LIBRARY;
  platform::SetComponentFallbackDirectoriesForTesting(std::vector{library.parent_path()});
  Register((t.Root() / "deleted-build" / "lib" / "ZUVASORTMEM2.so").c_str());
  WriteData({Exam(1, "000300", "2006/01/03"), Exam(2, "000100", "2006/01/01")});
  ui.Expect("データをＩＤ順に並べ替えます。", platform::kAnswerYes);
  ui.Expect("終了。");
  EXPECT_EQ(SortDataFile(store, ui, progress, SortOrder::ById), SortOutcome::Sorted);
  platform::SetComponentFallbackDirectoriesForTesting(std::nullopt);
  EXPECT_EQ(Column(ExamField::PatientId), (Values{"000100", "000300"}));
}

// The sort lines as they pass through the exchange file: a GET that fails
// after the third line leaves the lines written so far.
TEST_F(SortTest, TheExchangeLinesAreKeyAsStoredAndPosition) {
  scripted.FailAt("GET", 44, 4);
  WriteData({Exam(1, "000300", "2006/01/03"), Exam(2, "000100", "2006/01/01"),
             Exam(3, "000200", "2006/01/02")});
  const std::string before = t.ReadBytes(kDataFile);
  ui.Expect("データをＩＤ順に並べ替えます。", platform::kAnswerYes);
  ui.Expect("SORT GET RTN NOT = 0 (44)");
  EXPECT_EQ(SortDataFile(store, ui, progress, SortOrder::ById, scripted.Factory()),
            SortOutcome::Failed);
  EXPECT_EQ(t.ReadBytes(kSortExchangeFile), "000100000002\r\n000200000003\r\n000300000001\r\n");
  EXPECT_EQ(t.ReadBytes(kDataFile), before);
}

// A failing call of the component reaches the user through the main window's
// progress window, which is gone afterwards, with the data file
// byte-identical (every call's failure is tested on the sort itself).
TEST_F(SortTest, AFailingCallLeavesTheDataFileAsItWas) {
  WriteData({Exam(1, "000300", "2006/01/03"), Exam(2, "000100", "2006/01/01"),
             Exam(3, "000200", "2006/01/02")});
  const std::string before = t.ReadBytes(kDataFile);
  scripted.FailAt("MAIN", 43, 1);
  ui.Expect("データをＩＤ順に並べ替えます。", platform::kAnswerYes);
  ui.Expect("SORT MAIN RTN NOT = 0 (43)");
  EXPECT_EQ(SortDataFile(store, ui, progress, SortOrder::ById, scripted.Factory()),
            SortOutcome::Failed);
  EXPECT_EQ(t.ReadBytes(kDataFile), before);
  EXPECT_FALSE(progress.isVisible());
  EXPECT_EQ(store.RecordCount(), 3);
  EXPECT_EQ(scripted.Live(), 0);
  // The same jobs sorting without a failure.
  scripted.Heal();
  ui.Expect("データをＩＤ順に並べ替えます。", platform::kAnswerYes);
  ui.Expect("終了。");
  EXPECT_EQ(SortDataFile(store, ui, progress, SortOrder::ById, scripted.Factory()),
            SortOutcome::Sorted);
  EXPECT_EQ(Column(ExamField::PatientId), (Values{"000100", "000200", "000300"}));
}

TEST_F(SortTest, AFailedWritePhaseLeavesTheDataFileWhole) {
  Register(VELUNOR_SORT_LIBRARY);
  WriteData({Exam(1, "000300", "2006/01/03"), Exam(2, "000100", "2006/01/01"),
             Exam(3, "000200", "2006/01/02")});
  const std::string before = t.ReadBytes(kDataFile);
  // The first write is the exchange file, the second hands TEMP.DATA over.
  files.FailNthWrite(2, platform::kDiskFull);
  ui.Expect("データをＩＤ順に並べ替えます。", platform::kAnswerYes);
  ui.Expect("61");
  EXPECT_EQ(SortDataFile(store, ui, progress, SortOrder::ById), SortOutcome::Failed);
  files.Heal();
  EXPECT_EQ(t.ReadBytes(kDataFile), before);
  EXPECT_FALSE(files.Exists(kWorkFile));
  EXPECT_EQ(store.RecordCount(), 3);
  EXPECT_FALSE(progress.isVisible());
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
