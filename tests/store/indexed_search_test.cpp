// The search through the examination index: the same hits as testing every
// record, candidates no wider than the hits where the index holds the whole
// field, and an index kept current answering as one built afresh.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/progress.h"
#include "store/exam_index.h"
#include "store/search.h"
#include "store/store.h"
#include "store/text_format.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/records.h"
#include "tests/support/temp_drive.h"

namespace {

using store::ExamField;
using store::ExamIndex;
using store::ExamRecord;
using store::SearchCriteria;
using store::SearchFilter;

template <std::size_t N>
std::string Pick(std::mt19937& random, const char* const (&pool)[N]) {
  return pool[random() % N];
}

// Dates that are not "yyyy/mm/dd" (the index cannot rule them out).
const char* const kOddDates[] = {"2004/1/5", "", "2004", " 2004/01/0", "２００４/01"};

ExamRecord RandomExam(std::mt19937& random) {
  static const char* const ids[] = {"000012", "12", " 12", "", "12.5", "abc", "000007", "7"};
  static const char* const names[] = {"山田　太郎", "山田　花子", "山本", "山",          "小山　一",
                                      "ﾔﾏﾀﾞ",       "Yamada",     "",     "山田　太郎次"};
  static const char* const sexes[] = {"M", "F", "", "X"};
  static const char* const ages[] = {"40", "4", " 4", "", "1e1", "abc", "100", "10"};
  static const char* const departments[] = {"内科", "外科", "", " 内科", "内科部"};
  static const char* const arrhythmias[] = {
      "", "", "", "心房細動", "心房粗動", "洞性頻脈", "Ⅰ度房室ブロック", "ＷＰＷ", "ソ", "表\\"};
  std::string date = random() % 8 == 0 ? Pick(random, kOddDates)
                                       : store::FormatDate(2003 + static_cast<int>(random() % 3),
                                                           1 + static_cast<int>(random() % 12),
                                                           1 + static_cast<int>(random() % 28));
  testing_support::ExamBuilder exam = testing_support::Exam(1);
  exam.With(ExamField::ExamDate, date)
      .With(ExamField::PatientId, Pick(random, ids))
      .With(ExamField::Name, Pick(random, names))
      .With(ExamField::Sex, Pick(random, sexes))
      .With(ExamField::Age, random() % 2 ? Pick(random, ages) : std::to_string(random() % 100))
      .With(ExamField::Department, Pick(random, departments));
  for (int a = 0; a < 5; ++a) exam.With(store::ArrhythmiaField(a), Pick(random, arrhythmias));
  return exam;
}

// One to three criteria of the search dialog, odd values among them.
SearchCriteria RandomCriteria(std::mt19937& random) {
  static const char* const years[] = {"2004", "2003", "2010", "abcd", "200", "２００４"};
  static const char* const months[] = {"", "3", "03", "12", "1"};
  static const char* const days[] = {"", "5", "05", "15"};
  static const char* const ids[] = {"12", "000012", "7", "0", "abc"};
  static const char* const names[] = {"山", "山田", "山田　太郎", "ﾔ", "Y", "小"};
  static const char* const sexes[] = {"M", "F", " M", "X"};
  static const char* const ages[] = {"", "10", "40", "4", "0", "99"};
  static const char* const departments[] = {"内科", "外科", "内"};
  static const char* const arrhythmias[] = {"房", "心房細動", "\\", "ＷＰＷ", "ブロック"};
  SearchCriteria c;
  for (int picked = 0, wanted = 1 + static_cast<int>(random() % 3); picked < wanted; ++picked) {
    switch (random() % 7) {
      case 0:
        c.year = Pick(random, years);
        c.month = Pick(random, months);
        c.day = Pick(random, days);
        break;
      case 1:
        c.id = Pick(random, ids);
        break;
      case 2:
        c.name = Pick(random, names);
        break;
      case 3:
        c.sex = Pick(random, sexes);
        break;
      case 4:
        c.ageFrom = Pick(random, ages);
        c.ageTo = Pick(random, ages);
        break;
      case 5:
        c.department = Pick(random, departments);
        break;
      default:
        c.arrhythmia = Pick(random, arrhythmias);
    }
  }
  return c;
}

std::string Describe(const SearchCriteria& c) {
  return "year=" + c.year + " month=" + c.month + " day=" + c.day + " id=" + c.id +
         " name=" + c.name + " sex=" + c.sex + " age=" + c.ageFrom + "-" + c.ageTo +
         " department=" + c.department + " arrhythmia=" + c.arrhythmia;
}

// The records that meet `c`, each one tested.
std::vector<std::int32_t> Scanned(const std::vector<ExamRecord>& records, const SearchCriteria& c) {
  const SearchFilter filter(c);
  std::vector<std::int32_t> hits;
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (filter.Matches(records[i])) hits.push_back(static_cast<std::int32_t>(i + 1));
  }
  return hits;
}

class IndexedSearchTest : public ::testing::Test {
 protected:
  void Start(const std::vector<ExamRecord>& records) {
    memory.WriteBytes(store::kDataFile, testing_support::FileBytes(records));
    ASSERT_TRUE(s.StartUp().ok());
  }
  // The data-file numbers SearchRecords wrote to the working file.
  std::vector<std::int32_t> Search(const SearchCriteria& c) {
    std::int32_t hits = -1;
    platform::NoProgress none;
    EXPECT_TRUE(s.RemoveWorkFile().ok());
    EXPECT_TRUE(store::SearchRecords(s, c, none, hits).ok());
    std::vector<std::int32_t> numbers;
    for (std::int32_t k = 1; k <= s.WorkRecordCount(); ++k) {
      ExamRecord r;
      EXPECT_TRUE(s.WorkFile()->Read(k, r).ok());
      numbers.push_back(static_cast<std::int32_t>(store::NumericValue(r.Raw(ExamField::RecordNo))));
    }
    EXPECT_EQ(hits, s.WorkRecordCount());
    return numbers;
  }

  testing_support::MemoryFileSystem memory;
  testing_support::FaultyFileSystem files{memory};
  store::Store s{files};
};

TEST_F(IndexedSearchTest, EveryKindOfCriterionFindsWhatTestingEveryRecordFinds) {
  for (unsigned seed : {1u, 29u}) {
    SCOPED_TRACE(seed);
    std::mt19937 random(seed);
    std::vector<ExamRecord> records;
    for (int i = 0; i < 800; ++i) records.push_back(RandomExam(random));
    Start(records);
    int throughTheIndex = 0;
    for (int q = 0; q < 250; ++q) {
      const SearchCriteria c = RandomCriteria(random);
      const std::vector<std::int32_t> expected = Scanned(records, c);
      EXPECT_EQ(Search(c), expected) << Describe(c);

      // The candidates hold every hit; beyond them only records the index
      // cannot judge: an odd date, or a name longer than its 8 bytes.
      const std::vector<std::int32_t> candidates =
          s.ExamsByPatient().Candidates(SearchFilter(c).IndexQuery());
      EXPECT_TRUE(
          std::includes(candidates.begin(), candidates.end(), expected.begin(), expected.end()))
          << Describe(c);
      for (std::int32_t n : candidates) {
        if (std::binary_search(expected.begin(), expected.end(), n)) continue;
        const std::string_view date =
            records[static_cast<std::size_t>(n - 1)].Raw(ExamField::ExamDate);
        const bool oddDate =
            std::ranges::any_of(date,
                                [](char ch) { return (ch < '0' || ch > '9') && ch != '/'; }) ||
            date[4] != '/' || date[7] != '/';
        EXPECT_TRUE((oddDate && !c.year.empty()) || c.name.size() > 8)
            << Describe(c) << " record " << n;
      }
      throughTheIndex += candidates.size() * 4 <= records.size() ? 1 : 0;
    }
    EXPECT_GT(throughTheIndex, 150);  // most queries read only their candidates
  }
}

TEST_F(IndexedSearchTest, AnIndexThatMissesRecordsIsRebuiltByTheSearch) {
  std::mt19937 random(7);
  std::vector<ExamRecord> records;
  for (int i = 0; i < 200; ++i) records.push_back(RandomExam(random));
  Start(records);
  // Written behind the index's back: it no longer covers the file.
  for (int i = 0; i < 50; ++i) {
    records.push_back(RandomExam(random));
    ASSERT_TRUE(
        s.DataFile()->Write(static_cast<std::int32_t>(records.size()), records.back()).ok());
  }
  s.CountRecords();
  const SearchCriteria byId{.id = "12"};
  EXPECT_EQ(Search(byId), Scanned(records, byId));
  EXPECT_EQ(s.ExamsByPatient().Records(), 250);
  for (const SearchCriteria& c : {byId, SearchCriteria{.name = "山本"}}) {
    EXPECT_EQ(s.ExamsByPatient().Candidates(SearchFilter(c).IndexQuery()), Scanned(records, c))
        << Describe(c);
  }
}

TEST_F(IndexedSearchTest, AFailedWriteOfHitsLeavesNoWorkingFileOnEitherPath) {
  std::vector<ExamRecord> records;
  for (int i = 1; i <= 40; ++i) records.push_back(testing_support::Exam(i));
  Start(records);
  struct Case {
    const char* path;
    SearchCriteria criteria;
  } cases[] = {
      {"the candidates", {.id = "000105"}},  // one record of forty
      {"every record", {.department = "総務部"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    ASSERT_TRUE(s.RemoveWorkFile().ok());
    files.FailNthWrite(1);
    std::int32_t hits = -1;
    platform::NoProgress none;
    EXPECT_EQ(store::SearchRecords(s, c.criteria, none, hits).error, platform::kDiskFull);
    EXPECT_EQ(hits, 0);
    EXPECT_FALSE(memory.Exists(store::kWorkFile));
  }
}

TEST(ExamIndexColumnsTest, KeptCurrentThroughChangesItAnswersAsABuildOfTheFile) {
  for (unsigned seed : {3u, 4u}) {
    SCOPED_TRACE(seed);
    std::mt19937 random(seed);
    std::vector<ExamRecord> records;
    ExamIndex kept;
    for (int step = 0; step < 300; ++step) {
      const int n = static_cast<int>(records.size());
      const unsigned change = n == 0 ? 0 : random() % 4;
      const int at = n == 0 ? 1 : static_cast<int>(random() % n) + 1;
      if (change <= 1) {  // register
        records.push_back(RandomExam(random));
        kept.Put(n + 1, records.back());
      } else if (change == 2) {  // overwrite
        records[at - 1] = RandomExam(random);
        kept.Put(at, records[at - 1]);
      } else {  // delete
        records.erase(records.begin() + (at - 1));
        kept.Remove(at);
      }
      if (step % 30 != 29) continue;
      testing_support::MemoryFileSystem memory;
      memory.WriteBytes(store::kDataFile, testing_support::FileBytes(records));
      std::unique_ptr<store::RecordFile> file;
      ASSERT_TRUE(
          store::RecordFile::Open(memory, store::kDataFile, store::kExamRecordLength, file).ok());
      ExamIndex built;
      ASSERT_TRUE(built.Build(file.get()).ok());
      for (int q = 0; q < 20; ++q) {
        const SearchCriteria c = RandomCriteria(random);
        const ExamIndex::Query query = SearchFilter(c).IndexQuery();
        EXPECT_EQ(kept.Candidates(query), built.Candidates(query)) << Describe(c) << step;
      }
    }
  }
}

// On the disk, where the records are tested in the file's pages by two
// threads a run at a time: the same hits, in order, as testing every
// record, and a failed write of hits leaves no working file.
TEST(IndexedSearchOnDisk, RecordsTestedInPlaceFindWhatTestingEveryRecordFinds) {
  testing_support::TempDrive drive;
  platform::PosixFileSystem disk(drive.Drive());
  testing_support::FaultyFileSystem files(disk);
  store::Store s(files);
  std::mt19937 random(25);
  std::vector<ExamRecord> records;
  for (int i = 0; i < 20000; ++i) records.push_back(RandomExam(random));
  drive.WriteBytes(store::kDataFile, testing_support::FileBytes(records));
  ASSERT_TRUE(s.StartUp().ok());
  std::vector<SearchCriteria> criteria = {
      {.sex = "F"}, {.arrhythmia = "房"}, {.department = "内科"}, {.ageFrom = "0", .ageTo = "99"}};
  for (int q = 0; q < 40; ++q) criteria.push_back(RandomCriteria(random));
  platform::NoProgress none;
  for (const SearchCriteria& c : criteria) {
    ASSERT_TRUE(s.RemoveWorkFile().ok());
    std::int32_t hits = -1;
    ASSERT_TRUE(store::SearchRecords(s, c, none, hits).ok()) << Describe(c);
    const std::vector<std::int32_t> expected = Scanned(records, c);
    ASSERT_EQ(hits, static_cast<std::int32_t>(expected.size())) << Describe(c);
    ASSERT_EQ(s.WorkRecordCount(), hits);
    for (std::int32_t k = 1; k <= hits; ++k) {
      ExamRecord r;
      ASSERT_TRUE(s.WorkFile()->Read(k, r).ok());
      const std::int32_t n = expected[static_cast<std::size_t>(k - 1)];
      ASSERT_EQ(store::NumericValue(r.Raw(ExamField::RecordNo)), n) << Describe(c);
      ASSERT_EQ(r.Raw(ExamField::Name), records[static_cast<std::size_t>(n - 1)].Raw(ExamField::Name));
    }
  }
  ASSERT_TRUE(s.RemoveWorkFile().ok());
  files.FailNthWrite(3);
  std::int32_t hits = -1;
  EXPECT_EQ(store::SearchRecords(s, {.arrhythmia = "房"}, none, hits).error, platform::kDiskFull);
  EXPECT_EQ(hits, 0);
  EXPECT_FALSE(disk.Exists(store::kWorkFile));
  s.CloseAllFiles();
}

}  // namespace
