#include "store/sort_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <random>
#include <type_traits>

#include "platform/component.h"
#include "platform/cp932.h"
#include "platform/error_text.h"
#include "sortlib/radix_order.h"
#include "sortlib/zuvasortmem.h"
#include "store/entry_rules.h"
#include "store/rebuilds.h"
#include "store/text_format.h"
#include "tests/support/fake_ui.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/recording_progress.h"
#include "tests/support/records.h"
#include "tests/support/scripted_sort.h"
#include "tests/support/sort_component.h"
#include "tests/support/temp_drive.h"

namespace {

using namespace store;
using testing_support::Exam;
using testing_support::FakeUi;
using testing_support::FileBytes;
using testing_support::Patient;
using testing_support::RecordingProgress;
using testing_support::ScriptedSort;
using Values = std::vector<std::string>;

class SortFileTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_TRUE(ui.Unexpected().empty()) << ui.Unexpected().front();
    EXPECT_EQ(sort.Live(), 0) << "every job is released";
  }
  void WriteExams(const std::vector<ExamRecord>& records) {
    memory.WriteBytes(kDataFile, FileBytes(records));
    ASSERT_TRUE(s.StartUp().ok());
  }
  void WriteMaster(const std::vector<PatientRecord>& records) {
    memory.WriteBytes(kMasterFile, FileBytes(records));
    ASSERT_TRUE(s.StartUp().ok());
  }
  Values Column(std::string_view path, ExamField field) {
    Values values;
    for (const ExamRecord& r : testing_support::ExamsOf(memory.ReadBytes(path))) {
      values.push_back(r.Get(field));
    }
    return values;
  }
  SortOutcome Sort(const SortKey& key) { return SortFile(s, ui, progress, key, sort.Factory()); }
  // Three examinations out of ID order.
  void WriteThree() {
    WriteExams({Exam(1).With(ExamField::PatientId, "000300"),
                Exam(2).With(ExamField::PatientId, "000100"),
                Exam(3).With(ExamField::PatientId, "000200")});
  }

  testing_support::MemoryFileSystem memory;
  testing_support::FaultyFileSystem files{memory};
  Store s{files};
  FakeUi ui;
  RecordingProgress progress;
  ScriptedSort sort;
};

TEST_F(SortFileTest, ExaminationsById) {
  WriteThree();
  ui.Expect("データをＩＤ順に並べ替えます。", platform::kAnswerYes);
  ui.Expect("終了。");
  EXPECT_EQ(Sort(kExamsById), SortOutcome::Sorted);
  EXPECT_EQ(sort.Param(), "1,6,A");
  EXPECT_EQ(sort.Lines(), (Values{"000300000001", "000100000002", "000200000003"}));
  EXPECT_EQ(Column(kDataFile, ExamField::PatientId), (Values{"000100", "000200", "000300"}));
  EXPECT_EQ(Column(kDataFile, ExamField::RecordNo), (Values{"000001", "000002", "000003"}));
  EXPECT_EQ(Column(kDataFile, ExamField::Name), (Values{"患者2", "患者3", "患者1"}));
  EXPECT_EQ(Column(kDataFile, ArrhythmiaField(4)), (Values{"心房細動2", "心房細動3", "心房細動1"}));
  EXPECT_EQ(ui.Boxes().back().style, platform::kOkOnly);
  EXPECT_FALSE(memory.Exists(kSortExchangeFile));
  EXPECT_FALSE(memory.Exists(kWorkFile));
  EXPECT_EQ(progress.captions,
            (Values{std::string(kReadingCaption), std::string(kWritingCaption)}));
  EXPECT_EQ(progress.value, 3);
  EXPECT_FALSE(progress.visible);
  EXPECT_GE(ui.doEventsCalls, 1);
}

TEST_F(SortFileTest, ExaminationsByDateKeepTheOrderOfEqualDates) {
  WriteExams({Exam(1).With(ExamField::ExamDate, "2006/02/01"),
              Exam(2).With(ExamField::ExamDate, "2006/01/15"),
              Exam(3).With(ExamField::ExamDate, "2006/02/01"),
              Exam(4).With(ExamField::ExamDate, "2006/01/15"),
              Exam(5).With(ExamField::ExamDate, "2005/12/31")});
  ui.Expect("データを検査日順に並べ替えます。", platform::kAnswerYes);
  ui.Expect("終了。");
  EXPECT_EQ(Sort(kExamsByDate), SortOutcome::Sorted);
  EXPECT_EQ(sort.Param(), "1,10,A");
  EXPECT_EQ(sort.Lines().front(), "2006/02/01000001");
  EXPECT_EQ(Column(kDataFile, ExamField::Name),
            (Values{"患者5", "患者2", "患者4", "患者1", "患者3"}));
}

// The patient master: sixteen-character lines, the ID formatted "000000" and
// the master record number in ten digits; every field as read but RecordNo,
// which becomes the new position in ten digits.
TEST_F(SortFileTest, ThePatientMasterById) {
  const std::vector<PatientRecord> master = {
      Patient(30).With(PatientField::RecordNo, "1"), Patient("20"),
      Patient(10).With(PatientField::Name, "先"), Patient(10).With(PatientField::Name, "後")};
  WriteMaster(master);
  ui.Expect("患者マスタを昇順に並べ替えますか？", platform::kAnswerYes);
  EXPECT_EQ(Sort(kPatientsById), SortOutcome::Sorted);
  EXPECT_EQ(sort.Lines(), (Values{"0000300000000001", "0000200000000002", "0000100000000003",
                                  "0000100000000004"}));
  std::vector<PatientRecord> sorted = {master[2], master[3], master[1], master[0]};
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    sorted[i].Set(PatientField::RecordNo, FormatNumber(static_cast<double>(i + 1), "0000000000"));
  }
  EXPECT_EQ(memory.ReadBytes(kMasterFile), FileBytes(sorted));
  EXPECT_EQ(s.PatientCount(), 4);
  EXPECT_FALSE(memory.Exists(kSortExchangeFile));
  EXPECT_EQ(memory.ReadBytes(kScratchFile), "");
}

TEST_F(SortFileTest, RefusalsAndNoLeaveEveryFile) {
  WriteExams({});
  ui.Expect("データがありません。");
  EXPECT_EQ(Sort(kExamsById), SortOutcome::Refused);
  EXPECT_EQ(ui.Boxes().back().style, platform::kExclamation);
  WriteExams({Exam(1)});
  ui.Expect("データが１件なので並べ替えできません。");
  EXPECT_EQ(Sort(kExamsByDate), SortOutcome::Refused);
  // The master's refusals are the window's: silent here.
  WriteMaster({Patient(1)});
  EXPECT_EQ(Sort(kPatientsById), SortOutcome::Refused);

  WriteThree();
  const std::string before = memory.ReadBytes(kDataFile);
  ui.Expect("データをＩＤ順に並べ替えます。", platform::kAnswerNo);
  EXPECT_EQ(Sort(kExamsById), SortOutcome::Refused);
  EXPECT_EQ(memory.ReadBytes(kDataFile), before);
  EXPECT_FALSE(memory.Exists(kSortExchangeFile));
  EXPECT_EQ(sort.Created(), 0);

  // A key without a question sorts at once.
  SortKey quiet = kPatientsById;
  quiet.question = {};
  WriteMaster({Patient(2), Patient(1)});
  EXPECT_EQ(Sort(quiet), SortOutcome::Sorted);
}

// Whatever call of the component fails, its message names the call and the
// status, the job is released, the progress hidden and the file untouched.
TEST_F(SortFileTest, EveryFailingCallLeavesTheFileAsItWas) {
  WriteThree();
  const std::string before = memory.ReadBytes(kDataFile);
  memory.WriteBytes(kSortExchangeFile, "left over\r\n");
  struct Case {
    const char* call;
    std::int32_t status;
    int from;
    const char* message;
  };
  for (const Case& c : {Case{"OPEN", 21, 1, "SORT OPEN RTN NOT = 0 (21)"},
                        Case{"PUT", 30, 1, "SORT PUT RTN NOT = 0 (30)"},
                        Case{"PUT", 90, 2, "SORT PUT RTN NOT = 0 (90)"},
                        Case{"MAIN", 43, 1, "SORT MAIN RTN NOT = 0 (43)"},
                        Case{"GET", 40, 1, "SORT GET RTN NOT = 0 (40)"},
                        Case{"CLOSE", 33, 1, "SORT CLOSE RTN NOT = 0 (33)"}}) {
    sort.FailAt(c.call, c.status, c.from);
    ui.Expect("データをＩＤ順に並べ替えます。", platform::kAnswerYes);
    ui.Expect(c.message);
    EXPECT_EQ(Sort(kExamsById), SortOutcome::Failed) << c.message;
    EXPECT_EQ(ui.Boxes().back().style, platform::kOkOnly);
    EXPECT_EQ(memory.ReadBytes(kDataFile), before) << c.message;
    EXPECT_FALSE(progress.visible) << c.message;
    EXPECT_EQ(sort.Live(), 0) << c.message;
    EXPECT_EQ(s.RecordCount(), 3);
  }
}

// The lines as they pass through the exchange file: a GET that fails after
// the third line leaves the lines written so far, in cp932 with CR LF.
TEST_F(SortFileTest, TheExchangeFileHoldsTheSortedLines) {
  WriteExams(
      {Exam(1).With(ExamField::ExamDate, "平成18"), Exam(2).With(ExamField::ExamDate, "2006")});
  sort.FailAt("GET", 44, 3);
  ui.Expect("データを検査日順に並べ替えます。", platform::kAnswerYes);
  ui.Expect("SORT GET RTN NOT = 0 (44)");
  EXPECT_EQ(Sort(kExamsByDate), SortOutcome::Failed);
  EXPECT_EQ(memory.ReadBytes(kSortExchangeFile),
            "2006      000002\r\n" + platform::ToCp932("平成18") + "    000001\r\n");
}

TEST_F(SortFileTest, AMissingComponentTouchesNothing) {
  WriteThree();
  const std::string before = memory.ReadBytes(kDataFile);
  sort.Unavailable();
  ui.Expect("データをＩＤ順に並べ替えます。", platform::kAnswerYes);
  ui.Expect(std::string(kSortLibraryMissing));
  EXPECT_EQ(Sort(kExamsById), SortOutcome::Failed);
  EXPECT_EQ(ui.Boxes().back().style, platform::kCritical);
  EXPECT_EQ(memory.ReadBytes(kDataFile), before);
}

// A job that answers lines whose positions do not name every record once.
class BadLinesJob final : public SortJob {
 public:
  explicit BadLinesJob(Values lines) : lines_(std::move(lines)) {}
  std::int32_t SetParam(std::string_view) override { return 0; }
  std::int32_t Open() override { return 0; }
  std::int32_t Put(std::string_view) override { return 0; }
  std::int32_t Main() override { return 0; }
  std::int32_t Get(std::string& line) override {
    if (next_ >= lines_.size()) return 99;
    line = lines_[next_++];
    return 0;
  }
  std::int32_t Close() override { return 0; }

 private:
  Values lines_;
  std::size_t next_ = 0;
};

TEST_F(SortFileTest, EveryPositionMustComeBackOnce) {
  WriteThree();
  const std::string before = memory.ReadBytes(kDataFile);
  for (const Values& lines : {Values{"000100000002", "000100000002", "000300000001"},
                              Values{"000100000002", "000300000001"},
                              Values{"000100000002", "000200000003", "000300000001", "x00004"},
                              Values{"000100000002", "000200000004", "000300000001"},
                              Values{"0001000002.5", "000200000003", "000300000001"},
                              Values{"00001", "000200000003", "000300000001"}}) {
    ui.Expect("データをＩＤ順に並べ替えます。", platform::kAnswerYes);
    ui.Expect(platform::ErrorText(63));
    EXPECT_EQ(SortFile(s, ui, progress, kExamsById,
                       [&](platform::Ui&) { return std::make_unique<BadLinesJob>(lines); }),
              SortOutcome::Failed);
    EXPECT_EQ(memory.ReadBytes(kDataFile), before);
  }
}

TEST_F(SortFileTest, AFailedWritePhaseLeavesTheFileWhole) {
  WriteThree();
  const std::string before = memory.ReadBytes(kDataFile);
  // The first write is the exchange file, the second hands TEMP.DATA over.
  files.FailNthWrite(2, platform::kDiskFull);
  ui.Expect("データをＩＤ順に並べ替えます。", platform::kAnswerYes);
  ui.Expect(platform::ErrorText(61));
  EXPECT_EQ(Sort(kExamsById), SortOutcome::Failed);
  EXPECT_EQ(memory.ReadBytes(kDataFile), before);
  EXPECT_FALSE(memory.Exists(kWorkFile));
  EXPECT_FALSE(progress.visible);
}

TEST_F(SortFileTest, AFailureAfterTheReplacementIsReportedAsSuch) {
  WriteThree();
  // The staging file's flush, then the directory after the rename.
  files.FailNthSync(2, platform::kDeviceIoError);
  ui.Expect("データをＩＤ順に並べ替えます。", platform::kAnswerYes);
  ui.Expect("データは並べ替えられましたが、その後の処理でエラーが発生しました。（エラー番号 " +
            platform::ErrorText(57) + "）");
  EXPECT_EQ(Sort(kExamsById), SortOutcome::SortedThenFailed);
  EXPECT_EQ(Column(kDataFile, ExamField::PatientId), (Values{"000100", "000200", "000300"}));
  EXPECT_FALSE(memory.Exists(kSortExchangeFile));
}

// The master sort through the real component, created by class identity.
TEST(SortFileComponent, TheRealComponentSortsTheMaster) {
  testing_support::TempDrive t;
  testing_support::SortComponent component(t.Root(), VELUNOR_SORT_LIBRARY);
  ASSERT_TRUE(component.Registered());
  platform::PosixFileSystem files{t.Drive()};
  Store s{files};
  const std::vector<PatientRecord> master = {Patient(300), Patient(100), Patient(200),
                                             Patient(100).With(PatientField::Name, "二")};
  t.WriteBytes(kMasterFile, FileBytes(master));
  ASSERT_TRUE(s.StartUp().ok());
  FakeUi ui;
  RecordingProgress progress;
  ui.Expect("患者マスタを昇順に並べ替えますか？", platform::kAnswerYes);
  EXPECT_EQ(SortFile(s, ui, progress, kPatientsById), SortOutcome::Sorted);
  std::vector<PatientRecord> sorted = {master[1], master[3], master[2], master[0]};
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    sorted[i].Set(PatientField::RecordNo, FormatNumber(static_cast<double>(i + 1), "0000000000"));
  }
  EXPECT_EQ(t.ReadBytes(kMasterFile), FileBytes(sorted));
  EXPECT_TRUE(ui.Unexpected().empty());
  s.CloseAllFiles();
  platform::FreeUnusedLibraries();
  unsetenv("VELUNOR_COMPONENT_REGISTRY");
}

// The old way of ordering a file, for comparison with the sort through the
// component: every line built with FormatNumber and handed over as UTF-16,
// ordered by its key characters (each code unit with its bytes exchanged),
// equal keys in file order.
namespace old_order {

std::string Line(const ExamRecord& exam, const PatientRecord& patient, const SortKey& key,
                 std::int32_t i) {
  if (const auto* field = std::get_if<ExamField>(&key.field)) {
    return platform::FromCp932(exam.Raw(*field)) + FormatNumber(i, "000000");
  }
  const std::string_view raw = TrimBlanks(patient.Raw(std::get<PatientField>(key.field)));
  std::string id;
  if (!raw.empty() && raw.size() <= 6 &&
      std::all_of(raw.begin(), raw.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    id = std::string(6 - raw.size(), '0') + std::string(raw);
  } else {
    id = FormatPatientId(patient.Get(std::get<PatientField>(key.field)));
  }
  if (id.size() < 6) id.append(6 - id.size(), ' ');
  return id + FormatNumber(i, "0000000000");
}

// The file's bytes in the old order, renumbered.
template <class Record>
std::string Sorted(std::string_view file, const SortKey& key, std::size_t keyLength,
                   std::size_t numberWidth) {
  const std::size_t length = Record::kLength;
  const auto count = static_cast<std::int32_t>(file.size() / length);
  std::vector<std::u16string> keys;
  for (std::int32_t i = 1; i <= count; ++i) {
    Record r;
    std::copy_n(file.data() + static_cast<std::size_t>(i - 1) * length, length, r.data());
    ExamRecord exam;
    PatientRecord patient;
    if constexpr (std::is_same_v<Record, ExamRecord>) {
      exam = r;
    } else {
      patient = r;
    }
    keys.push_back(platform::Utf16FromUtf8(Line(exam, patient, key, i)).substr(0, keyLength));
  }
  std::vector<std::int32_t> order(static_cast<std::size_t>(count));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
    const std::u16string& x = keys[static_cast<std::size_t>(a)];
    const std::u16string& y = keys[static_cast<std::size_t>(b)];
    return std::lexicographical_compare(
        x.begin(), x.end(), y.begin(), y.end(), [](char16_t c, char16_t d) {
          return zuvasort::CharacterDigit(c) < zuvasort::CharacterDigit(d);
        });
  });
  std::string out;
  out.reserve(file.size());
  for (std::size_t j = 0; j < order.size(); ++j) {
    std::string record(file.substr(static_cast<std::size_t>(order[j]) * length, length));
    const std::string number =
        FormatNumber(static_cast<double>(j + 1), numberWidth == 6 ? "000000" : "0000000000");
    record.replace(0, number.size(), number);
    out += record;
  }
  return out;
}

}  // namespace old_order

// 100,000 examinations and patients with many equal keys, some keys in
// double-byte or half-width characters and some blank: each sort through
// the component leaves the file byte for byte as the old way ordered it.
TEST(SortFileComponent, OrdersExactlyAsTheOldWayOnAHundredThousandRecords) {
  testing_support::TempDrive t;
  testing_support::SortComponent component(t.Root(), VELUNOR_SORT_LIBRARY);
  ASSERT_TRUE(component.Registered());
  constexpr int kCount = 100000;
  const std::vector<std::string> oddIds = {"      ", "ｱｲｳ   ", "１２３", "12 34 ", "ABC   "};
  const std::vector<std::string> oddDates = {"          ", "２００６/1/", "H18/01/02 ",
                                             "2006/1/2  "};
  std::mt19937 random(29);
  const ExamRecord base = testing_support::Exam(1);
  std::string exams;
  exams.reserve(kExamRecordLength * kCount);
  std::string master;
  for (int i = 1; i <= kCount; ++i) {
    ExamRecord exam = base;
    const int pick = static_cast<int>(random() % 1000);
    exam.Set(ExamField::PatientId, pick < 5 ? oddIds[pick] : FormatNumber(pick % 700, "000000"));
    const int day = static_cast<int>(random() % 400);
    exam.Set(ExamField::ExamDate, day < 4 ? oddDates[day]
                                          : "20" + FormatNumber(day % 30, "00") + "/0" +
                                                std::to_string(day % 9 + 1) + "/15");
    exams += exam.Bytes();
    const int id = static_cast<int>(random() % 5000);
    master += testing_support::Patient(id < 5 ? oddIds[id] : std::to_string(id)).Bytes();
  }

  platform::PosixFileSystem files{t.Drive()};
  Store s{files};
  for (const SortKey* key : {&kExamsById, &kExamsByDate, &kPatientsById}) {
    const bool onExams = key != &kPatientsById;
    t.WriteBytes(kDataFile, exams);
    t.WriteBytes(kMasterFile, master);
    ASSERT_TRUE(s.StartUp().ok());
    const std::string expected =
        onExams ? old_order::Sorted<ExamRecord>(exams, *key, key == &kExamsById ? 6 : 10, 6)
                : old_order::Sorted<PatientRecord>(master, *key, 6, 10);
    FakeUi ui;
    RecordingProgress progress;
    ui.Expect(std::string(key->question), platform::kAnswerYes);
    if (!key->finished.empty()) ui.Expect(std::string(key->finished));
    ASSERT_EQ(SortFile(s, ui, progress, *key), SortOutcome::Sorted) << key->parameter;
    EXPECT_TRUE(t.ReadBytes(onExams ? kDataFile : kMasterFile) == expected) << key->question;
    EXPECT_TRUE(ui.Unexpected().empty());
    s.CloseAllFiles();
  }
  platform::FreeUnusedLibraries();
  unsetenv("VELUNOR_COMPONENT_REGISTRY");
}

}  // namespace
