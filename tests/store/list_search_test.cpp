// The page arithmetic of the record lists, the patient pages, the search
// dialog's checks and the search filter.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/cp932.h"
#include "platform/progress.h"
#include "store/list_pages.h"
#include "store/search.h"
#include "store/store.h"
#include "store/text_format.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/temp_drive.h"

namespace {

using namespace store;
using testing_support::FaultyFileSystem;
using testing_support::TempDrive;

struct Exam {
  std::string date, id, name, sex, age, department;
  std::vector<std::string> arrhythmias;
};

ExamRecord Record(int n, const Exam& e) {
  ExamRecord r;
  r.Set(ExamField::RecordNo, FormatNumber(n, "000000"));
  r.Set(ExamField::ExamDate, e.date);
  r.Set(ExamField::PatientId, e.id);
  r.Set(ExamField::Name, e.name);
  r.Set(ExamField::Sex, e.sex);
  r.Set(ExamField::Age, e.age);
  r.Set(ExamField::Department, e.department);
  for (std::size_t i = 0; i < e.arrhythmias.size() && i < 5; ++i) {
    r.Set(ArrhythmiaField(static_cast<int>(i)), e.arrhythmias[i]);
  }
  r.Set(ExamField::ImageName, "IMG" + std::to_string(n));
  return r;
}

ExamRecord Numbered(int n) {
  return Record(n, {"2004/01/01",
                    FormatNumber(n, "000000"),
                    "患者" + std::to_string(n),
                    "M",
                    "40",
                    "総務部",
                    {}});
}

// Records what the progress window was told, and whether a long operation ran.
class RecordingProgress : public platform::Progress {
 public:
  void BeginPhase(std::string_view caption, int maximum) override {
    captions.emplace_back(caption);
    this->maximum = maximum;
    shown = true;
  }
  void Advance(int value) override { last = value; }
  void Hide() override { shown = false; }
  std::vector<std::string> captions;
  int maximum = -1, last = -1;
  bool shown = false;
};

class ListTest : public ::testing::Test {
 protected:
  void WriteData(const std::vector<ExamRecord>& records) {
    std::string bytes;
    for (const ExamRecord& r : records) bytes += r.Bytes();
    t.WriteBytes(kDataFile, bytes);
  }
  void WriteNumbered(int count) {
    std::vector<ExamRecord> records;
    for (int n = 1; n <= count; ++n) records.push_back(Numbered(n));
    WriteData(records);
  }
  // The data-file numbers of the hits of a search.
  std::vector<int> Search(const SearchCriteria& c) {
    std::int32_t hits = -1;
    platform::NoProgress none;
    EXPECT_TRUE(s.RemoveWorkFile().ok());
    EXPECT_TRUE(SearchRecords(s, c, none, hits).ok());
    std::vector<int> numbers;
    for (std::int32_t k = 1; k <= s.WorkRecordCount(); ++k) {
      ExamRecord r;
      EXPECT_TRUE(s.WorkFile()->Read(k, r).ok());
      numbers.push_back(static_cast<int>(NumericValue(r.Raw(ExamField::RecordNo))));
    }
    EXPECT_EQ(hits, s.WorkRecordCount());
    return numbers;
  }

  TempDrive t;
  FaultyFileSystem files{t.Drive()};
  Store s{files};
};

// --- Page arithmetic ----------------------------------------------------------

TEST(PageArithmetic, CountsSliderAndIndicator) {
  EXPECT_EQ(PagesFor(0), 0);
  EXPECT_EQ(PagesFor(1), 1);
  EXPECT_EQ(PagesFor(15), 1);
  EXPECT_EQ(PagesFor(16), 2);
  EXPECT_EQ(PagesFor(30), 2);
  EXPECT_EQ(PagesFor(31), 3);
  EXPECT_EQ(PageSliderMaximum(1), 2);
  EXPECT_EQ(PageSliderMaximum(3), 3);
  EXPECT_EQ(PageIndicator(2, 3), "2/3(Page)");
  EXPECT_EQ(RecordCountText(23), "データ数：23");
}

// --- The boxes of the search dialog ----------------------------------------------

TEST(SearchBoxes, DateBoxes) {
  EXPECT_EQ(CheckYearBox("").outcome, BoxCheck::Accepted);
  EXPECT_EQ(CheckYearBox("2004").outcome, BoxCheck::Accepted);
  EXPECT_EQ(CheckYearBox("２００４").outcome, BoxCheck::Accepted);  // four characters
  BoxCheck year = CheckYearBox("200");
  EXPECT_EQ(year.outcome, BoxCheck::Refused);
  EXPECT_EQ(year.message, "不正な入力です。");
  EXPECT_EQ(year.text, "");
  EXPECT_EQ(CheckYearBox("20045").outcome, BoxCheck::Refused);

  BoxCheck month = CheckMonthBox("3", "");
  EXPECT_EQ(month.outcome, BoxCheck::YearMissing);
  EXPECT_EQ(month.message, "年を入力してください。");
  month = CheckMonthBox("13", "2004");
  EXPECT_EQ(month.outcome, BoxCheck::Refused);
  EXPECT_EQ(month.message, "入力が不正です。");
  EXPECT_EQ(month.text, "13");
  EXPECT_EQ(CheckMonthBox("0", "2004").outcome, BoxCheck::Refused);
  EXPECT_EQ(CheckMonthBox("3", "2004").text, "03");
  EXPECT_EQ(CheckMonthBox("12", "2004").text, "12");

  EXPECT_EQ(CheckDayBox("5", "", "").text, "05");  // passes, but is no criterion
  EXPECT_EQ(CheckDayBox("5", "03", "").outcome, BoxCheck::YearMissing);
  EXPECT_EQ(CheckDayBox("32", "03", "2004").outcome, BoxCheck::Refused);
  EXPECT_EQ(CheckDayBox("31", "03", "2004").text, "31");
}

TEST(SearchBoxes, FullWidthDigitsCountAsDigits) {
  EXPECT_EQ(CheckYearBox("２００４").text, "2004");
  EXPECT_EQ(CheckYearBox("２０0４").text, "2004");
  const BoxCheck month = CheckMonthBox("３", "2004");
  EXPECT_EQ(month.outcome, BoxCheck::Accepted);
  EXPECT_EQ(month.text, "03");
  EXPECT_EQ(CheckMonthBox("１２", "2004").text, "12");
  EXPECT_EQ(CheckMonthBox("１３", "2004").outcome, BoxCheck::Refused);
  EXPECT_EQ(CheckDayBox("０５", "03", "2004").text, "05");
  EXPECT_EQ(CheckDayBox("３２", "03", "2004").outcome, BoxCheck::Refused);
}

TEST(SearchBoxes, CriteriaChecks) {
  SearchCriteria c;
  EXPECT_EQ(CheckCriteria(c), CriteriaRefusal::NoCriterion);
  c.month = "03";
  c.day = "05";
  EXPECT_EQ(CheckCriteria(c), CriteriaRefusal::NoCriterion);
  c.ageFrom = "30";
  EXPECT_EQ(CheckCriteria(c), CriteriaRefusal::AgeRange);  // a lower bound alone
  c.ageTo = "29";
  EXPECT_EQ(CheckCriteria(c), CriteriaRefusal::AgeRange);
  c.ageTo = "30";
  EXPECT_EQ(CheckCriteria(c), CriteriaRefusal::None);
  c.ageFrom = "";
  c.ageTo = "40";
  EXPECT_EQ(CheckCriteria(c), CriteriaRefusal::None);  // an upper bound alone
}

// --- The search --------------------------------------------------------------------

class SearchTest : public ListTest {
 protected:
  void SetUp() override {
    WriteData({
        Record(1, {"2004/03/05", "12", "山田　太郎", "M", "30", "総務部", {"心房細動"}}),
        Record(2,
               {"2004/03/15", "000012", "小山　花子", "F", "40", "経理部", {"", "", "心房粗動"}}),
        Record(3, {"2004/11/05", "000013", "山本　一郎", "M", "41", "総務部", {"洞性頻脈"}}),
        Record(4, {"2005/03/05", "000014", "田中　翔", "F", "29", "総務部二課", {"ア"}}),
        Record(5, {"2004/03/31", "000120", "山", "M", "", "総務部", {"心室性期外収縮"}}),
    });
    ASSERT_TRUE(s.StartUp().ok());
  }
};

TEST_F(SearchTest, DateCriteria) {
  EXPECT_EQ(Search({.year = "2004"}), (std::vector<int>{1, 2, 3, 5}));
  EXPECT_EQ(Search({.year = "2004", .month = "03"}), (std::vector<int>{1, 2, 5}));
  EXPECT_EQ(Search({.year = "2004", .month = "03", .day = "05"}), std::vector<int>{1});
  EXPECT_EQ(Search({.year = "2004", .month = "3", .day = "5"}), std::vector<int>{1});
  // Month and day mean nothing without the year.
  EXPECT_EQ(Search({.month = "03", .day = "05", .sex = "F"}), (std::vector<int>{2, 4}));
  EXPECT_EQ(Search({.year = "ab12"}), std::vector<int>{});
  // Full-width digits find what the ASCII ones find.
  EXPECT_EQ(Search({.year = "２００４", .month = "３"}), (std::vector<int>{1, 2, 5}));
  EXPECT_EQ(Search({.year = "２００４", .month = "０３", .day = "５"}), std::vector<int>{1});
}

TEST_F(SearchTest, NameBeginsWithTheCriterion) {
  EXPECT_EQ(Search({.name = "山"}), (std::vector<int>{1, 3, 5}));
  EXPECT_EQ(Search({.name = "山田"}), std::vector<int>{1});
}

TEST_F(SearchTest, IdsCompareByValue) {
  EXPECT_EQ(Search({.id = "000012"}), (std::vector<int>{1, 2}));
  EXPECT_EQ(Search({.id = "12"}), (std::vector<int>{1, 2}));
  EXPECT_EQ(Search({.id = "120"}), std::vector<int>{5});
}

TEST_F(SearchTest, AgeBoundsAreInclusive) {
  EXPECT_EQ(Search({.ageFrom = "30", .ageTo = "40"}), (std::vector<int>{1, 2}));
  // An empty age reads as 0.
  EXPECT_EQ(Search({.ageTo = "30"}), (std::vector<int>{1, 4, 5}));
}

TEST_F(SearchTest, SexAndDepartmentAreWhole) {
  EXPECT_EQ(Search({.sex = "M "}), (std::vector<int>{1, 3, 5}));
  EXPECT_EQ(Search({.department = "総務部"}), (std::vector<int>{1, 3, 5}));
}

TEST_F(SearchTest, ArrhythmiaInAnySlotAndOnlyAtWholeCharacters) {
  EXPECT_EQ(Search({.arrhythmia = "心房"}), (std::vector<int>{1, 2}));
  EXPECT_EQ(Search({.arrhythmia = "期外"}), std::vector<int>{5});
  // "ア" is 0x83 0x41 in cp932: its second byte is "A", which is no match.
  EXPECT_EQ(Search({.arrhythmia = "A"}), std::vector<int>{});
  EXPECT_EQ(Search({.arrhythmia = "ア"}), std::vector<int>{4});
}

TEST_F(SearchTest, CriteriaCombine) {
  EXPECT_EQ(
      Search({.year = "2004", .name = "山", .sex = "M", .ageFrom = "30", .department = "総務部"}),
      (std::vector<int>{1, 3}));
  EXPECT_EQ(Search({.name = "田中", .arrhythmia = "心房"}), std::vector<int>{});
}

TEST_F(SearchTest, ProgressShowsEveryRecordAndAHitIsTheWholeRecord) {
  RecordingProgress progress;
  std::int32_t hits = 0;
  ASSERT_TRUE(s.RemoveWorkFile().ok());
  ASSERT_TRUE(SearchRecords(s, {.name = "小山"}, progress, hits).ok());
  EXPECT_EQ(hits, 1);
  EXPECT_EQ(progress.maximum, 5);
  EXPECT_EQ(progress.last, 5);
  EXPECT_FALSE(progress.shown);
  // The hit is the whole record but RecordNo, which is its data-file number.
  ExamRecord hit;
  ASSERT_TRUE(s.WorkFile()->Read(1, hit).ok());
  ExamRecord expected =
      Record(2, {"2004/03/15", "000012", "小山　花子", "F", "40", "経理部", {"", "", "心房粗動"}});
  expected.Set(ExamField::RecordNo, " 2");
  EXPECT_EQ(hit, expected);
}

TEST(SearchHits, NumbersKeepEveryDigit) {
  EXPECT_EQ(ExamRecordNo(12), " 12");
  EXPECT_EQ(ExamRecordNo(99999), " 99999");
  EXPECT_EQ(ExamRecordNo(100000), "100000");
}

// --- The filter against a plain reading of its rules -----------------------------

// UTF-8 text as code points, so that "characters" are compared as the rules say.
std::u32string Chars(std::string_view utf8) {
  std::u32string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    const int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    char32_t cp = n == 1 ? c : n == 2 ? c & 0x1F : n == 3 ? c & 0x0F : c & 0x07;
    for (int k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    out.push_back(cp);
    i += static_cast<std::size_t>(n);
  }
  return out;
}

std::u32string Raw(const ExamRecord& r, ExamField f) {
  return Chars(platform::FromCp932(r.Raw(f)));
}

std::u32string Trim(std::u32string s) {
  while (!s.empty() && s.front() == U' ') s.erase(s.begin());
  while (!s.empty() && s.back() == U' ') s.pop_back();
  return s;
}

std::u32string Left(const std::u32string& s, std::size_t n) { return s.substr(0, n); }

double Val(const std::u32string& s) {
  std::string ascii;
  for (char32_t c : s) ascii.push_back(c < 0x80 ? static_cast<char>(c) : 'x');
  return NumericValue(ascii);
}

bool Reference(const SearchCriteria& c, const ExamRecord& r) {
  const std::u32string date = Raw(r, ExamField::ExamDate);
  if (!c.year.empty()) {
    const std::u32string y = Chars(c.year);
    if (Left(date, y.size()) != y) return false;
    if (!c.month.empty()) {
      const std::u32string m = Chars(c.year + "/" + c.month);
      if (Left(date, m.size()) != m) return false;
      if (!c.day.empty() && Chars(c.year + "/" + c.month + "/" + c.day) != Trim(date)) {
        return false;
      }
    }
  }
  if (!c.id.empty() && Val(Chars(c.id)) != Val(Raw(r, ExamField::PatientId))) return false;
  if (!c.name.empty()) {
    const std::u32string n = Chars(c.name);
    if (Left(Raw(r, ExamField::Name), n.size()) != n) return false;
  }
  if (!c.sex.empty() && Trim(Raw(r, ExamField::Sex)) != Trim(Chars(c.sex))) return false;
  const double age = Val(Raw(r, ExamField::Age));
  if (!c.ageFrom.empty() && Val(Chars(c.ageFrom)) > age) return false;
  if (!c.ageTo.empty() && Val(Chars(c.ageTo)) < age) return false;
  if (!c.department.empty() && Trim(Raw(r, ExamField::Department)) != Chars(c.department)) {
    return false;
  }
  if (!c.arrhythmia.empty()) {
    bool any = false;
    for (int i = 0; i < 5; ++i) {
      any = any || Raw(r, ArrhythmiaField(i)).find(Chars(c.arrhythmia)) != std::u32string::npos;
    }
    if (!any) return false;
  }
  return true;
}

TEST_F(ListTest, TheFilterAgreesWithAPlainReadingOfTheRulesOnNearMisses) {
  std::mt19937 random(1234);
  auto pick = [&random](const std::vector<std::string>& pool) {
    return pool[random() % pool.size()];
  };
  const std::vector<std::string> dates = {"2004/01/31", "2004/02/01", "2004/02/29", "2004/03/01",
                                          "2004/12/31", "2005/01/01", "2003/12/31", "2004/10/01",
                                          "2004/01/03", "2004/03/10", "",           "2004/1/5"};
  const std::vector<std::string> ids = {"12", "000012", "000120", "12 ", "", "0", "1200", "000001"};
  const std::vector<std::string> names = {"山田　太郎", "山本", "小山　花子", "山",
                                          " 山田",      "岡山", "山﨑",       "ｶﾜｲ",
                                          "髙橋",       "高橋", "山田太郎",   ""};
  const std::vector<std::string> sexes = {"M", "F", "", "m"};
  const std::vector<std::string> ages = {"29", "30", "31", "39", "40", "41", "", "030", "3", "100"};
  const std::vector<std::string> departments = {"総務部", "総務部二課", "経理部", "", "ｿｳﾑ"};
  const std::vector<std::string> arrhythmias = {
      "心房細動", "心房粗動", "心室性期外収縮", "洞性頻脈", "心 房", "房室ブロック", "ア",
      "ソ",       "",         "WPW症候群"};
  std::vector<ExamRecord> records;
  for (int n = 1; n <= 600; ++n) {
    Exam e{pick(dates), pick(ids), pick(names), pick(sexes), pick(ages), pick(departments), {}};
    for (int i = 0; i < 5; ++i) e.arrhythmias.push_back(random() % 3 == 0 ? pick(arrhythmias) : "");
    records.push_back(Record(n, e));
  }
  WriteData(records);
  ASSERT_TRUE(s.StartUp().ok());

  const std::vector<std::string> years = {"2004", "2005", "2003", "200", ""};
  const std::vector<std::string> months = {"01", "02", "03", "12", "10", ""};
  const std::vector<std::string> days = {"01", "29", "31", "03", ""};
  const std::vector<std::string> nameKeys = {"山", "山田", "小山", "高", "髙", "ｶ", ""};
  const std::vector<std::string> ageKeys = {"30", "40", "", "0"};
  const std::vector<std::string> arrhythmiaKeys = {"心房", "房", "期外", "A", "\\", "ア", "心", ""};
  std::size_t hits = 0, emptyRounds = 0;
  for (int round = 0; round < 120; ++round) {
    SearchCriteria c;
    auto sometimes = [&](const std::vector<std::string>& pool) {
      return random() % 3 == 0 ? pick(pool) : std::string();
    };
    c.year = sometimes(years);
    c.month = c.year.empty() ? std::string() : sometimes(months);
    c.day = c.month.empty() ? std::string() : sometimes(days);
    c.id = sometimes({"12", "120", "0", "1"});
    c.name = sometimes(nameKeys);
    c.sex = sometimes(sexes);
    c.ageFrom = sometimes(ageKeys);
    c.ageTo = sometimes(ageKeys);
    c.department = sometimes(departments);
    c.arrhythmia = sometimes(arrhythmiaKeys);
    std::vector<int> expected;
    for (int n = 1; n <= 600; ++n) {
      if (Reference(c, records[static_cast<std::size_t>(n - 1)])) expected.push_back(n);
    }
    EXPECT_EQ(Search(c), expected) << "round " << round;
    hits += expected.size();
    emptyRounds += expected.empty() ? 1 : 0;
  }
  // The rounds are neither all empty nor all full.
  EXPECT_GT(hits, 120u * 20);
  EXPECT_GT(emptyRounds, 5u);
}

}  // namespace
