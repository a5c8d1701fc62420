// The image list and the detail view beside another workstation on the same
// drive: two stores over one file system, each with its own handle on the
// drive's lock file.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/drive_lock.h"
#include "sessions/exam_form_session.h"
#include "sessions/image_list_session.h"
#include "store/store.h"
#include "tests/support/exam_entries.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/recording_progress.h"
#include "tests/support/records.h"
#include "tests/support/temp_drive.h"

namespace {

using sessions::ExamEntry;
using sessions::FormAfter;
using sessions::ImageFollow;
using store::ExamField;
using testing_support::Exam;

constexpr const char* kListOutdated = "他の端末でデータが変更されたため、一覧を閉じました。";
constexpr const char* kGone = "表示していた検査は他の端末で削除されました。";

struct Workstation {
  Workstation(testing_support::MemoryFileSystem& files, const std::filesystem::path& lockRoot)
      : store(files), form(store), images(store) {
    EXPECT_EQ(lock.Acquire(lockRoot), platform::LockOutcome::kHeld);
    store.SetDriveLock(&lock);
    EXPECT_TRUE(store.StartUp().ok());
  }
  platform::DriveLock lock;
  store::Store store;
  sessions::ExamFormSession form;
  sessions::ImageListSession images;
};

class ImageListSharingTest : public ::testing::Test {
 protected:
  // Examinations 1 ... count, each with its picture file.
  void Start(int count) {
    memory = std::make_unique<testing_support::MemoryFileSystem>();
    memory->WriteBytes(store::kDataFile, testing_support::ExamFileBytes(count));
    for (int n = 1; n <= count; ++n) Picture("IMG" + std::to_string(n));
    first = std::make_unique<Workstation>(*memory, drive.Root());
    second = std::make_unique<Workstation>(*memory, drive.Root());
  }
  void Picture(const std::string& name) {
    memory->WriteBytes("C:\\VLN2\\GAZOU\\" + name + ".jpg", "jpeg");
  }

  static ExamEntry EntryOf(const store::ExamRecord& shown) {
    return testing_support::EntryOf(shown);
  }
  void Delete(int n) {
    ASSERT_TRUE(second->form.ShowExamination(n).read);
    EXPECT_NE(second->form.Delete(progress).after, FormAfter::Unchanged);
  }
  void Rename(int n, const std::string& name) {
    const sessions::ShownExamination shown = second->form.ShowExamination(n);
    ASSERT_TRUE(shown.read);
    ExamEntry entry = EntryOf(shown.record);
    entry.record.Set(ExamField::Name, name);
    entry.name = name;
    EXPECT_TRUE(second->form.Overwrite(entry, {}).Silent());
  }
  // A new examination whose picture file the other workstation wrote.
  void Register() {
    second->form.StartNewExamination();
    EXPECT_EQ(second->form
                  .RegisterNew(EntryOf(Exam(9)
                                           .With(ExamField::PatientId, "000900")
                                           .With(ExamField::ImageName, "N9")
                                           .Record()),
                               {})
                  .after,
              FormAfter::NewExamination);
    Picture("N9");
  }

  static std::vector<std::string> Names(const std::vector<store::ImageCell>& cells) {
    std::vector<std::string> names;
    for (const store::ImageCell& cell : cells) names.push_back(cell.name);
    return names;
  }

  testing_support::TempDrive drive;  // holds the lock file only
  std::unique_ptr<testing_support::MemoryFileSystem> memory;
  testing_support::RecordingProgress progress;
  std::unique_ptr<Workstation> first, second;
};

TEST_F(ImageListSharingTest, TheImageListShowsThePageAsStoredNow) {
  struct Case {
    const char* name;
    int records;
    std::function<void()> other;
    ImageFollow after;
    std::vector<std::string> names;  // the page drawn again
    int sliderMaximum;
  } cases[] = {
      {"nothing changed", 8, [] {}, ImageFollow::Stayed, {}, 8},
      {"a registration after a full page only moves the slider's end",
       8,
       [&] { Register(); },
       ImageFollow::Stayed,
       {},
       9},
      {"a registration joins a page that was not full",
       3,
       [&] { Register(); },
       ImageFollow::Redrawn,
       {"患者1", "患者2", "患者3", "患者9"},
       4},
      {"an edit of a cell",
       8,
       [&] { Rename(2, "別人"); },
       ImageFollow::Redrawn,
       {"患者1", "別人", "患者3", "患者4", "患者5", "患者6"},
       8},
      {"the first cell deleted: the page starts at the next",
       8,
       [&] { Delete(1); },
       ImageFollow::Redrawn,
       {"患者2", "患者3", "患者4", "患者5", "患者6", "患者7"},
       7},
      {"every record deleted", 2, [&] { Delete(1), Delete(1); }, ImageFollow::Closed, {}, 1},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start(c.records);
    ASSERT_TRUE(first->images.Open().draw);
    c.other();
    const sessions::ImageFollowOutcome followed = first->images.FollowDrive(true, false);
    EXPECT_EQ(followed.list, c.after);
    EXPECT_EQ(followed.sliderMaximum, c.sliderMaximum);
    if (c.after == ImageFollow::Redrawn) {
      EXPECT_EQ(Names(followed.page.cells), c.names);
      EXPECT_EQ(followed.page.searchStart, first->images.SearchStart());
    }
    EXPECT_EQ(followed.Silent(), c.after != ImageFollow::Closed);
    if (c.after == ImageFollow::Closed) {
      EXPECT_TRUE(followed.messages[0].text.starts_with(kListOutdated));
    }
    // Once looked at, the same change is not looked at again.
    EXPECT_EQ(first->images.FollowDrive(true, false).list, ImageFollow::Stayed);
  }
}

TEST_F(ImageListSharingTest, TheDetailViewFollowsItsExaminationOrClosesWhenItIsGone) {
  struct Case {
    const char* name;
    std::function<void()> other;
    ImageFollow after;
    int record;  // where it lies now (Redrawn)
    const char* shownName;
  } cases[] = {
      {"nothing changed", [] {}, ImageFollow::Stayed, 0, nullptr},
      {"a registration elsewhere", [&] { Register(); }, ImageFollow::Stayed, 0, nullptr},
      {"a delete before it moves it down", [&] { Delete(1); }, ImageFollow::Redrawn, 2, "患者3"},
      {"an edit of it is shown", [&] { Rename(3, "別人"); }, ImageFollow::Redrawn, 3, "別人"},
      {"its delete closes the view", [&] { Delete(3); }, ImageFollow::Closed, 0, nullptr},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start(5);
    ASSERT_TRUE(first->images.ReadDetail(3).read);
    c.other();
    const sessions::ImageFollowOutcome followed = first->images.FollowDrive(false, true);
    EXPECT_EQ(followed.detail, c.after);
    EXPECT_EQ(followed.list, ImageFollow::Stayed);  // not shown, not looked at
    if (c.after == ImageFollow::Redrawn) {
      EXPECT_EQ(followed.detailRecord, c.record);
      EXPECT_TRUE(followed.shown.read);
      EXPECT_EQ(followed.shown.record.Get(ExamField::Name), c.shownName);
    }
    EXPECT_EQ(followed.messages.empty(), c.after != ImageFollow::Closed);
    if (c.after == ImageFollow::Closed) {
      EXPECT_EQ(followed.messages[0].text, kGone);
    }
    EXPECT_EQ(first->images.FollowDrive(false, true).detail, ImageFollow::Stayed);
  }
}

TEST_F(ImageListSharingTest, AClickedCellOpensItsExaminationWhereverItLiesNow) {
  struct Case {
    const char* name;
    std::function<void()> other;
    int cell;  // the record the cell was drawn for
    int opens;
  } cases[] = {
      {"unchanged", [] {}, 4, 4},
      {"moved down by a delete before it", [&] { Delete(1); }, 4, 3},
      {"deleted", [&] { Delete(4); }, 4, 0},
      {"the last cell after a delete before it", [&] { Delete(2); }, 6, 5},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start(8);
    ASSERT_TRUE(first->images.Open().draw);
    c.other();
    EXPECT_EQ(first->images.CellRecord(c.cell), c.opens);
  }
}

}  // namespace
