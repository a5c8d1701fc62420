// The examination lists and the search on their session: the list of all
// records, the search and its hits, the pages, the rows' keys and messages,
// the print range and the end of a list.
#include "sessions/exam_list_session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/long_operation.h"
#include "store/text_format.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/recording_progress.h"
#include "tests/support/records.h"

namespace {

using sessions::ExamListSession;
using sessions::ListOpening;
using sessions::ListStep;
using sessions::Message;
using store::ExamField;
using store::ExamRecord;
using testing_support::Exam;

class ExamListSessionTest : public ::testing::Test {
 protected:
  void Start(const std::vector<ExamRecord>& records) {
    memory.WriteBytes(store::kDataFile, testing_support::FileBytes(records));
    ASSERT_TRUE(store.StartUp().ok());
  }
  void Start(int count) {
    memory.WriteBytes(store::kDataFile, testing_support::ExamFileBytes(count));
    ASSERT_TRUE(store.StartUp().ok());
  }
  // `count` examinations listed whole.
  void OpenList(int count) {
    Start(count);
    ASSERT_EQ(list.OpenListOfAllRecords(progress).opening, ListOpening::Opened);
  }
  std::vector<int> Keys() {
    std::vector<int> keys;
    for (const sessions::ExamListRow& row : list.ReadPage().rows) keys.push_back(row.key);
    return keys;
  }

  testing_support::MemoryFileSystem memory;
  testing_support::FaultyFileSystem files{memory};
  store::Store store{files};
  ExamListSession list{store};
  testing_support::RecordingProgress progress;
};

const Message kNoMore{"データは以上です。", platform::kCritical};
const Message kEnded{"表示するデータがありません。", platform::kExclamation};

// --- Pages ---------------------------------------------------------------------

TEST(ExamListPages, PagesOfFifteenRowsMoveWithinTheList) {
  struct Case {
    int records;
    std::vector<std::string> commands;  // "next", "previous", "go N"
    std::vector<bool> moved;
    std::vector<int> positions;  // of the page at the end
    int pageNumber, pageCount;
  };
  auto range = [](int from, int to) {
    std::vector<int> v;
    for (int i = from; i <= to; ++i) v.push_back(i);
    return v;
  };
  const std::vector<Case> cases = {
      {15, {"next", "previous"}, {false, false}, range(1, 15), 1, 1},
      {16, {"next", "next"}, {true, false}, {16}, 2, 2},
      {16, {"next", "previous"}, {true, true}, range(1, 15), 1, 2},
      {30, {"next", "next"}, {true, false}, range(16, 30), 2, 2},
      {31, {"next", "next", "next"}, {true, true, false}, {31}, 3, 3},
      {61, {"go 3", "next", "previous"}, {true, true, true}, range(31, 45), 3, 5},
      // The slider's page is held to the pages there are.
      {61, {"go 9"}, {true}, {61}, 5, 5},
      {7, {"go 2"}, {true}, range(1, 7), 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.records << " records");
    testing_support::MemoryFileSystem memory;
    memory.WriteBytes(store::kDataFile, testing_support::ExamFileBytes(c.records));
    store::Store store(memory);
    ASSERT_TRUE(store.StartUp().ok());
    ExamListSession list(store);
    platform::NoProgress none;
    ASSERT_EQ(list.OpenListOfAllRecords(none).opening, ListOpening::Opened);
    (void)list.ReadPage();
    for (std::size_t i = 0; i < c.commands.size(); ++i) {
      const std::string& command = c.commands[i];
      const sessions::ListStepOutcome out = command == "next" ? list.NextPage()
                                            : command == "previous"
                                                ? list.PreviousPage()
                                                : list.GoToPage(std::stoi(command.substr(3)));
      EXPECT_EQ(out.step == ListStep::Moved, c.moved[i]) << command;
      if (!c.moved[i]) {
        EXPECT_EQ(out.messages, std::vector<Message>{kNoMore}) << command;
      }
    }
    const sessions::ListPageOutcome page = list.ReadPage();
    std::vector<int> positions;
    for (const sessions::ExamListRow& row : page.rows) positions.push_back(row.position);
    EXPECT_EQ(positions, c.positions);
    EXPECT_EQ(page.pageNumber, c.pageNumber);
    EXPECT_EQ(page.pageCount, c.pageCount);
    EXPECT_EQ(page.listCount, c.records);
    EXPECT_EQ(list.Pager().PageFirst(), list.Pager().PageIndex() * 15 + 1);
  }
}

TEST_F(ExamListSessionTest, TheSliderDoesNothingWithFewerThanTwoStoredRecords) {
  OpenList(1);
  const sessions::ListStepOutcome out = list.GoToPage(2);
  EXPECT_EQ(out.step, ListStep::Stayed);
  EXPECT_TRUE(out.Silent());
}

// --- The list of all records --------------------------------------------------------

TEST_F(ExamListSessionTest, TheListOfAllRecordsIsAByteCopyOnItsFirstPage) {
  memory.WriteBytes(store::kWorkFile, std::string(579 * 3, 'x'));
  Start(40);
  ASSERT_EQ(list.OpenListOfAllRecords(progress).opening, ListOpening::Opened);
  ASSERT_EQ(list.NextPage().step, ListStep::Moved);
  std::vector<bool> busy;
  list.busyCursor = [&busy](bool on) { busy.push_back(on); };

  const sessions::ListOpeningOutcome out = list.OpenListOfAllRecords(progress);
  EXPECT_EQ(out.opening, ListOpening::Opened);
  EXPECT_TRUE(out.Silent());
  EXPECT_EQ(memory.ReadBytes(store::kWorkFile), memory.ReadBytes(store::kDataFile));
  EXPECT_EQ(list.ListCount(), 40);
  EXPECT_EQ(list.Pager().PageNumber(), 1);
  EXPECT_EQ(list.Pager().PageFirst(), 1);
  EXPECT_EQ(progress.captions.back(), "処理中・・・・");
  EXPECT_EQ(progress.value, 40);
  EXPECT_FALSE(progress.visible);
  EXPECT_EQ(busy, (std::vector<bool>{true, false}));
  EXPECT_FALSE(memory.Exists("C:\\VLN2\\TEMP.DATA.PART"));
}

TEST_F(ExamListSessionTest, AFailedCopyLeavesTheEarlierListWholeAndWithoutOneThereIsNone) {
  Start(40);
  memory.WriteBytes(store::kWorkFile, Exam(9).Bytes());
  files.FailNthWrite(1);
  sessions::ListOpeningOutcome out = list.OpenListOfAllRecords(progress);
  EXPECT_EQ(out.opening, ListOpening::Failed);
  EXPECT_EQ(
      out.messages,
      (std::vector<Message>{{platform::ErrorText(platform::kDiskFull), platform::kExclamation}}));
  EXPECT_EQ(memory.ReadBytes(store::kWorkFile), Exam(9).Bytes());
  EXPECT_EQ(list.ListCount(), 1);

  files.Heal();
  ASSERT_TRUE(list.DiscardWorkFile().ok());
  EXPECT_EQ(list.ListCount(), 0);
  files.FailNthWrite(1);
  EXPECT_EQ(list.OpenListOfAllRecords(progress).opening, ListOpening::Failed);
  EXPECT_FALSE(memory.Exists(store::kWorkFile));
  EXPECT_EQ(list.ListCount(), 0);
  EXPECT_FALSE(list.WorkFileOpen());
}

// --- The search -----------------------------------------------------------------------

TEST_F(ExamListSessionTest, TwentyHitsOnTwoPagesKeyTheirDataFileNumbers) {
  std::vector<ExamRecord> records;
  std::vector<int> expected;
  for (int n = 1; n <= 50; ++n) {
    const bool hit = n % 5 != 0 && n <= 25;
    records.push_back(Exam(n).With(ExamField::Name, hit ? "山田" : "田中"));
    if (hit) expected.push_back(n);
  }
  Start(records);
  const sessions::ListOpeningOutcome out = list.Search({.name = "山"}, progress);
  EXPECT_EQ(out.opening, ListOpening::Opened);
  EXPECT_EQ(out.hits, 20);
  EXPECT_EQ(list.ListCount(), 20);
  list.FirstPage();
  std::vector<int> keys = Keys();
  ASSERT_EQ(list.NextPage().step, ListStep::Moved);
  const sessions::ListPageOutcome second = list.ReadPage();
  ASSERT_EQ(second.rows.size(), 5u);
  EXPECT_EQ(second.rows[0].position, 16);
  EXPECT_EQ(second.rows[0].record.Raw(ExamField::RecordNo), " 19   ");
  for (const sessions::ExamListRow& row : second.rows) keys.push_back(row.key);
  EXPECT_EQ(keys, expected);
  EXPECT_EQ(second.pageCount, 2);
}

TEST_F(ExamListSessionTest, RefusedCriteriaChangeNothing) {
  struct Case {
    store::SearchCriteria criteria;
    store::CriteriaRefusal refusal;
    Message message;
  };
  const std::vector<Case> cases = {
      {{.ageFrom = "30"},
       store::CriteriaRefusal::AgeRange,
       {"年齢の範囲が不正です。", platform::kCritical}},
      {{.month = "03", .day = "05"},
       store::CriteriaRefusal::NoCriterion,
       {"検索条件を入力して下い。", platform::kExclamation}},
  };
  Start(3);
  memory.WriteBytes(store::kWorkFile, Exam(2).Bytes());
  for (const Case& c : cases) {
    const sessions::ListOpeningOutcome out = list.Search(c.criteria, progress);
    EXPECT_EQ(out.opening, ListOpening::Refused);
    EXPECT_EQ(out.refusal, c.refusal);
    EXPECT_EQ(out.messages, std::vector<Message>{c.message});
    EXPECT_EQ(memory.ReadBytes(store::kWorkFile), Exam(2).Bytes());
  }
}

TEST_F(ExamListSessionTest, NoHitMeansNoWorkingFile) {
  Start(3);
  const sessions::ListOpeningOutcome out = list.Search({.name = "誰も"}, progress);
  EXPECT_EQ(out.opening, ListOpening::NothingFound);
  EXPECT_EQ(out.messages, (std::vector<Message>{{"保存されていません。", platform::kOkOnly}}));
  EXPECT_FALSE(memory.Exists(store::kWorkFile));
  EXPECT_EQ(list.ListCount(), 0);
  EXPECT_EQ(store.RecordCount(), 3);
}

TEST_F(ExamListSessionTest, ASearchThatFailsPartWayLeavesNoList) {
  Start(3000);
  files.FailNthWrite(2);
  const sessions::ListOpeningOutcome out = list.Search({.name = "患者"}, progress);
  EXPECT_EQ(out.opening, ListOpening::Failed);
  EXPECT_EQ(
      out.messages,
      (std::vector<Message>{{platform::ErrorText(platform::kDiskFull), platform::kExclamation}}));
  EXPECT_EQ(out.hits, 0);
  EXPECT_EQ(list.ListCount(), 0);
  EXPECT_FALSE(memory.Exists(store::kWorkFile));
  EXPECT_FALSE(progress.visible);
}

TEST_F(ExamListSessionTest, NothingStartsWhileALongOperationRuns) {
  OpenList(20);
  store::LongOperation operation(store);
  EXPECT_EQ(list.OpenListOfAllRecords(progress).opening, ListOpening::Busy);
  EXPECT_EQ(list.Search({.name = "患者"}, progress).opening, ListOpening::Busy);
  for (const sessions::ListStepOutcome& out :
       {list.NextPage(), list.PreviousPage(), list.GoToPage(2), list.OpenRow(1),
        list.RowComment(1)}) {
    EXPECT_EQ(out.step, ListStep::Busy);
    EXPECT_TRUE(out.Silent());
  }
  EXPECT_EQ(list.Pager().PageNumber(), 1);
}

// --- Rows ------------------------------------------------------------------------

TEST_F(ExamListSessionTest, RowKeysNameRecordsOfTheDataFile) {
  struct Case {
    std::string recordNo;
    int key;
    ListStep opened;
  };
  const std::vector<Case> cases = {
      {" 2", 2, ListStep::RowChosen}, {"000003", 3, ListStep::RowChosen},
      {"", 0, ListStep::Stayed},      {"7", 7, ListStep::Stayed},  // beyond RecordCount
      {"-1", 0, ListStep::Stayed},    {"abc", 0, ListStep::Stayed},
  };
  std::vector<ExamRecord> records;
  for (const Case& c : cases) records.push_back(Exam(1).With(ExamField::RecordNo, c.recordNo));
  Start(records);
  ASSERT_EQ(list.OpenListOfAllRecords(progress).opening, ListOpening::Opened);
  const std::vector<int> keys = Keys();
  ASSERT_EQ(keys.size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    EXPECT_EQ(keys[i], c.key) << c.recordNo;
    const sessions::ListStepOutcome out = list.OpenRow(keys[i]);
    EXPECT_EQ(out.step, c.opened) << c.recordNo;
    EXPECT_TRUE(out.Silent());
    if (c.opened == ListStep::RowChosen) {
      EXPECT_EQ(out.record, c.key);
    }
  }
}

TEST_F(ExamListSessionTest, TheRowMessagesShowTheRecordWhole) {
  Start({Exam(1), Exam(2).With(ExamField::Comment, "").WithoutFindings(),
         Exam(3)
             .With(ExamField::LeadSite1, "II")
             .With(ExamField::Finding1, "ST低下")
             .With(ExamField::Arrhythmia1, "心房細動")});
  ASSERT_EQ(list.OpenListOfAllRecords(progress).opening, ListOpening::Opened);
  auto text = [](const sessions::ListStepOutcome& out) {
    return out.messages.size() == 1 && out.messages[0].style == platform::kOkOnly
               ? out.messages[0].text
               : std::string("?");
  };
  EXPECT_EQ(text(list.RowComment(1)), "コメント1");
  EXPECT_EQ(text(list.RowComment(2)), "コメントはありません。");
  EXPECT_EQ(text(list.RowFindings(2)), "/\r/\r/\r/\r/");
  EXPECT_EQ(text(list.RowArrhythmias(2)), "\r\r\r\r");
  const ExamRecord three = Exam(3)
                               .With(ExamField::LeadSite1, "II")
                               .With(ExamField::Finding1, "ST低下")
                               .With(ExamField::Arrhythmia1, "心房細動");
  std::string findings, arrhythmias;
  for (int i = 0; i < 5; ++i) {
    if (i > 0) findings += "\r", arrhythmias += "\r";
    findings += three.Get(store::LeadSiteField(i)) + "/" + three.Get(store::FindingField(i));
    arrhythmias += three.Get(store::ArrhythmiaField(i));
  }
  EXPECT_EQ(text(list.RowFindings(3)), findings);
  EXPECT_EQ(text(list.RowArrhythmias(3)), arrhythmias);
  EXPECT_TRUE(list.RowComment(0).Silent());
}

TEST_F(ExamListSessionTest, ThePictureCellFindsTheFileIgnoringCase) {
  Start({Exam(1), Exam(2)});
  memory.WriteBytes("C:\\VLN2\\GAZOU\\img1.JPG", "picture");
  ASSERT_EQ(list.OpenListOfAllRecords(progress).opening, ListOpening::Opened);
  const sessions::ListStepOutcome found = list.RowImage(1);
  EXPECT_EQ(found.step, ListStep::RowChosen);
  EXPECT_EQ(found.imageFile, "C:\\VLN2\\GAZOU\\img1.JPG");
  EXPECT_EQ(found.name, "患者1");
  EXPECT_EQ(found.examDate, Exam(1).Record().Get(ExamField::ExamDate));
  const sessions::ListStepOutcome missing = list.RowImage(2);
  EXPECT_EQ(missing.step, ListStep::Stayed);
  EXPECT_EQ(missing.messages,
            (std::vector<Message>{{"画像：IMG2.jpgはありません。", platform::kOkOnly}}));
}

TEST_F(ExamListSessionTest, AListEndedBehindItsViewsIsNotActedOn) {
  OpenList(20);
  store.CloseAllFiles();
  ASSERT_TRUE(store.OpenAllFiles().ok());
  for (const sessions::ListStepOutcome& out :
       {list.NextPage(), list.PreviousPage(), list.GoToPage(2), list.OpenRow(1), list.RowImage(1),
        list.RowComment(1), list.RowFindings(1), list.RowArrhythmias(1)}) {
    EXPECT_EQ(out.step, ListStep::Ended);
    EXPECT_EQ(out.messages, std::vector<Message>{kEnded});
  }
}

// --- Print range, end, vocabularies ---------------------------------------------------

TEST_F(ExamListSessionTest, ThePrintRangeLiesWithinTheList) {
  struct Case {
    bool whole;
    double a, b;
    std::optional<std::pair<int, int>> range;
  };
  const std::vector<Case> cases = {
      {true, 0, 0, std::pair{1, 20}}, {false, 1, 20, std::pair{1, 20}},
      {false, 5, 5, std::pair{5, 5}}, {false, 0, 3, std::nullopt},
      {false, 3, 2, std::nullopt},    {false, 1, 21, std::nullopt},
      {false, 21, 21, std::nullopt},
  };
  OpenList(20);
  for (const Case& c : cases) {
    EXPECT_EQ(list.PrintRange(c.whole, c.a, c.b), c.range) << c.a << "-" << c.b;
  }
  store::ExamRecord record;
  ASSERT_TRUE(list.ReadListRecord(20, record).ok());
  EXPECT_EQ(record, Exam(20).Record());
}

TEST_F(ExamListSessionTest, DiscardingTheListDeletesTheWorkingFile) {
  OpenList(3);
  ASSERT_TRUE(list.DiscardWorkFile().ok());
  EXPECT_FALSE(memory.Exists(store::kWorkFile));
  EXPECT_FALSE(list.WorkFileOpen());
  EXPECT_EQ(list.ListCount(), 0);
  store::ExamRecord record;
  EXPECT_EQ(list.ReadListRecord(1, record).error, platform::kBadFileNameOrNumber);
  ASSERT_TRUE(list.DiscardWorkFile().ok());  // none left: nothing to do
}

TEST_F(ExamListSessionTest, TheSearchBoxesGetEveryEntryOfTheirList) {
  store::ListEntryRecord entry;
  std::string bytes;
  for (const char* text : {"総務部", "", "経理部"}) {
    entry.Clear();
    entry.Set(store::ListEntryField::EntryText, text);
    bytes += entry.Bytes();
  }
  memory.WriteBytes(store::kDepartmentFile, bytes);
  Start(1);
  std::vector<std::string> expected(45);
  expected[0] = "総務部";
  expected[2] = "経理部";
  EXPECT_EQ(list.Entries(store::LookupList::Department), expected);
  EXPECT_EQ(list.Entries(store::LookupList::Arrhythmia), std::vector<std::string>(45));
}

}  // namespace
