// The comparison of a patient's examinations on its session, over the
// in-memory drive: which examinations the strip holds after the commands that
// change the data file, what the two panes show and which fields differ.

#include "sessions/compare_session.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "sessions/exam_form_session.h"
#include "store/store.h"
#include "tests/support/fake_ui.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/recording_progress.h"
#include "tests/support/records.h"
#include "tests/support/scripted_sort.h"

namespace {

using sessions::CompareField;
using sessions::CompareSession;
using sessions::CompareView;
using store::ExamField;
using store::ExamRecord;
using testing_support::Exam;

constexpr int kLeft = CompareSession::kLeft;
constexpr int kRight = CompareSession::kRight;

// Examination n of patient `id` on `date`.
ExamRecord Of(int n, const char* id, const char* date) {
  return Exam(n).With(ExamField::PatientId, id).With(ExamField::ExamDate, date);
}

std::vector<int> Strip(const CompareView& view) {
  std::vector<int> records;
  for (const auto& e : view.strip) records.push_back(e.record);
  return records;
}

class CompareSessionTest : public ::testing::Test {
 protected:
  // Patient 000007 has records 1, 3, 4 and 6, not in date order; 2 and 5
  // belong to others.
  void SetUp() override {
    memory.WriteBytes(store::kDataFile, testing_support::FileBytes(std::vector<ExamRecord>{
                                            Of(1, "000007", "2024/05/01"),
                                            Of(2, "000008", "2024/01/01"),
                                            Of(3, "000007", "2023/02/01"),
                                            Of(4, "000007", "2025/03/01"),
                                            Of(5, "000009", "2025/03/01"),
                                            Of(6, "000007", "2024/05/01"),
                                        }));
    memory.WriteBytes("C:\\VLN2\\GAZOU\\IMG4.jpg", "JPEG4");
    ASSERT_TRUE(store.StartUp().ok());
  }

  testing_support::MemoryFileSystem memory;
  store::Store store{memory};
  CompareSession compare{store};
  sessions::ExamFormSession form{store};
  testing_support::RecordingProgress progress;
};

TEST_F(CompareSessionTest, ThePatientsExaminationsComeByDateWithTheNewestEarlierOneBeside) {
  struct Case {
    int opened;
    std::vector<int> strip;
    int left, right;  // records in the panes
  };
  const Case cases[] = {
      {4, {3, 1, 6, 4}, 6, 4},  // one date twice: by record number
      {6, {3, 1, 6, 4}, 1, 6},
      {3, {3, 1, 6, 4}, 1, 3},  // the oldest: the nearest later one
      {2, {2}, 0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.opened);
    const CompareView view = compare.Open(c.opened);
    EXPECT_TRUE(view.opened);
    EXPECT_EQ(Strip(view), c.strip);
    EXPECT_EQ(view.panes[kLeft].record, c.left);
    EXPECT_EQ(view.panes[kRight].record, c.right);
    EXPECT_EQ(view.panes[kRight].exam.Get(ExamField::RecordNo),
              Exam(c.right).Record().Get(ExamField::RecordNo));
  }
  EXPECT_EQ(compare.Open(2).messages.at(0).text, "この患者の過去の検査はありません。");
  EXPECT_TRUE(compare.Open(4).Silent());
  EXPECT_EQ(compare.View().panes[kRight].picturePath, "C:\\VLN2\\GAZOU\\IMG4.jpg");
  EXPECT_EQ(compare.View().panes[kLeft].missingPicture, "画像：IMG6.jpgはありません。");
}

TEST_F(CompareSessionTest, EachPaneStepsThroughTheStripWithinItsEnds) {
  ASSERT_TRUE(compare.Open(4).opened);  // strip 3 1 6 4; left 6 (at 2), right 4 (at 3)
  struct Case {
    int pane, delta;
    int left, right;
  };
  const Case steps[] = {
      {kLeft, -1, 1, 4},  {kLeft, -1, 3, 4}, {kLeft, -1, 3, 4},  // stays at the oldest
      {kRight, +1, 3, 4},                                        // stays at the newest
      {kRight, -2, 3, 1}, {kLeft, +3, 4, 1},
  };
  for (const Case& s : steps) {
    const CompareView view = compare.Step(s.pane, s.delta);
    EXPECT_EQ(view.panes[kLeft].record, s.left);
    EXPECT_EQ(view.panes[kRight].record, s.right);
  }
  EXPECT_EQ(compare.Select(kLeft, 0).panes[kLeft].record, 3);
}

TEST_F(CompareSessionTest, TheStripFollowsRegisterOverwriteDeleteAndSort) {
  auto entry = [](const char* date) {
    sessions::ExamEntry e;
    e.imageName = e.imageNameTrimmed = "NEW";
    e.record = Of(99, "000007", date);
    return e;
  };
  sessions::PictureConversion noPicture;
  noPicture.pictureShown = false;

  (void)form.RegisterNew(entry("2026/01/01"), noPicture);  // record 7
  EXPECT_EQ(Strip(compare.Open(7)), (std::vector<int>{3, 1, 6, 4, 7}));
  EXPECT_EQ(compare.View().panes[kLeft].record, 4);

  ASSERT_TRUE(form.ShowExamination(3).read);
  (void)form.Overwrite(entry("2025/12/01"), noPicture);  // 3 moves up in date
  EXPECT_EQ(Strip(compare.Open(7)), (std::vector<int>{1, 6, 4, 3, 7}));

  ASSERT_TRUE(form.ShowExamination(1).read);
  (void)form.Delete(progress);  // the later records move down by one
  EXPECT_EQ(Strip(compare.Open(6)), (std::vector<int>{5, 3, 2, 6}));

  testing_support::FakeUi ui;
  testing_support::ScriptedSort sort;
  ui.Expect("データを検査日順に並べ替えます。", platform::kAnswerYes);
  ui.Expect("終了。");
  (void)form.Sort(ui, progress, sessions::ExamFormSession::SortOrder::ByDate, sort.Factory());
  // By date: 000008 2024/01/01, 2024/05/01, 2025/03/01 (x2), 2025/12/01, 2026/01/01.
  EXPECT_EQ(Strip(compare.Open(6)), (std::vector<int>{2, 3, 5, 6}));
}

// An open comparison after changes of the drive (by another workstation):
// the same two examinations found again, and a view that closes when the
// one it was opened on is gone.
TEST_F(CompareSessionTest, TheOpenViewFollowsItsExaminationsThroughChangesOfTheDrive) {
  ASSERT_TRUE(compare.Open(4).opened);                     // strip 3 1 6 4
  ASSERT_EQ(compare.Select(kLeft, 1).panes[kLeft].record, 1);
  EXPECT_FALSE(compare.FollowDrive().has_value());         // nothing changed

  ASSERT_TRUE(form.ShowExamination(2).read);
  (void)form.Delete(progress);  // another patient's, before them: all move down
  const std::optional<CompareView> moved = compare.FollowDrive();
  ASSERT_TRUE(moved.has_value());
  EXPECT_EQ(Strip(*moved), (std::vector<int>{2, 1, 5, 3}));
  EXPECT_EQ(moved->panes[kLeft].record, 1);
  EXPECT_EQ(moved->panes[kRight].record, 3);
  EXPECT_EQ(moved->panes[kRight].exam.Get(ExamField::ExamDate), "2025/03/01");

  ASSERT_TRUE(form.ShowExamination(3).read);
  (void)form.Delete(progress);  // the one it was opened on
  const std::optional<CompareView> gone = compare.FollowDrive();
  ASSERT_TRUE(gone.has_value());
  EXPECT_FALSE(gone->opened);
  EXPECT_EQ(gone->messages.at(0).text, "表示していた検査は他の端末で削除されました。");
  EXPECT_FALSE(compare.FollowDrive().has_value());
}

TEST_F(CompareSessionTest, DifferingFieldsAreMarkedAndEntriesCountAsSets) {
  const ExamRecord a = Exam(1)
                           .WithoutFindings()
                           .With(store::LeadSiteField(0), "V1")
                           .With(store::FindingField(0), "ST低下")
                           .With(store::LeadSiteField(1), "V5")
                           .With(store::ArrhythmiaField(0), "心房細動");
  struct Change {
    const char* name;
    std::vector<std::pair<ExamField, const char*>> set;
    std::vector<CompareField> differing;
  };
  const Change changes[] = {
      {"nothing", {}, {}},
      {"date", {{ExamField::ExamDate, "2030/01/01"}}, {CompareField::Date}},
      {"age and heart rate",
       {{ExamField::Age, "99"}, {ExamField::HeartRate, "120"}},
       {CompareField::Age, CompareField::HeartRate}},
      {"department", {{ExamField::Department, "内科"}}, {CompareField::Department}},
      {"comment", {{ExamField::Comment, "変化なし"}}, {CompareField::Comment}},
      {"a finding", {{store::FindingField(0), "ST上昇"}}, {CompareField::LeadSites}},
      {"a lead site gone", {{store::LeadSiteField(1), ""}}, {CompareField::LeadSites}},
      {"an arrhythmia added",
       {{store::ArrhythmiaField(4), "期外収縮"}},
       {CompareField::Arrhythmias}},
      {"a name and image name only", {{ExamField::Name, "別人"}, {ExamField::ImageName, "X"}}, {}},
      {"the same entries on other lines",
       {{store::LeadSiteField(0), "V5"},
        {store::FindingField(0), ""},
        {store::LeadSiteField(1), ""},
        {store::LeadSiteField(3), "V1"},
        {store::FindingField(3), "ST低下"},
        {store::ArrhythmiaField(0), ""},
        {store::ArrhythmiaField(2), "心房細動"}},
       {}},
  };
  for (const Change& c : changes) {
    SCOPED_TRACE(c.name);
    ExamRecord b = a;
    for (const auto& [field, value] : c.set) b.Set(field, value);
    EXPECT_EQ(CompareSession::Differences(a, b), c.differing);
  }
}

TEST_F(CompareSessionTest, TheOpenedViewMarksWhatDiffersBetweenItsPanes) {
  const CompareView view = compare.Open(4);  // 4 beside 6: Exam(4) and Exam(6) differ widely
  EXPECT_TRUE(view.Differs(CompareField::Date));
  EXPECT_TRUE(view.Differs(CompareField::Comment));
  EXPECT_FALSE(view.Differs(CompareField::Department));
  EXPECT_TRUE(compare.Open(2).differing.empty());
}

}  // namespace
