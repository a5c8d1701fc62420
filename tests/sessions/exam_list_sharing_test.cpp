// An open list beside another workstation on the same drive: it stays while
// its rows are still the stored records and closes, saying so, once they
// are not.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/drive_lock.h"
#include "sessions/exam_form_session.h"
#include "sessions/exam_list_session.h"
#include "store/store.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/recording_progress.h"
#include "tests/support/records.h"
#include "tests/support/temp_drive.h"
#include "tests/support/wrapping_file_system.h"

namespace {

using sessions::ExamEntry;
using sessions::FormAfter;
using sessions::ListOpening;
using sessions::ListStep;
using store::ExamField;
using testing_support::Exam;

// One workstation's view of the shared drive: its working copies lie in a
// folder of its own, as on the disk.
class WorkstationFiles : public testing_support::WrappingFileSystem {
 public:
  WorkstationFiles(platform::FileSystem& shared, std::string folder)
      : WrappingFileSystem(shared), folder_(std::move(folder)) {
    (void)shared.CreateDirectory(folder_);
  }
  platform::Status OpenRandom(std::string_view path,
                              std::unique_ptr<platform::RandomFile>& out) override {
    return Inner().OpenRandom(Own(path), out);
  }
  platform::Status OpenRandomReadOnly(std::string_view path,
                                      std::unique_ptr<platform::RandomFile>& out) override {
    return Inner().OpenRandomReadOnly(Own(path), out);
  }
  platform::PathState Probe(std::string_view path) override { return Inner().Probe(Own(path)); }
  std::string Dir(std::string_view path) override { return Inner().Dir(Own(path)); }
  bool Exists(std::string_view path) override { return Inner().Exists(Own(path)); }
  platform::Status Facts(std::string_view path, platform::FileFacts& out) override {
    return Inner().Facts(Own(path), out);
  }
  platform::Status Delete(std::string_view path) override { return Inner().Delete(Own(path)); }
  platform::Status Copy(std::string_view from, std::string_view to) override {
    return Inner().Copy(Own(from), Own(to));
  }
  platform::Status Rename(std::string_view from, std::string_view to) override {
    return Inner().Rename(Own(from), Own(to));
  }
  platform::Status ReadFile(std::string_view path, std::string& bytes) override {
    return Inner().ReadFile(Own(path), bytes);
  }

 private:
  std::string Own(std::string_view path) const {
    for (std::string_view copy : {"C:\\VLN2\\TEMP.DATA", "C:\\VLN2\\TEMP.DATA.PART"}) {
      if (path == copy) return folder_ + std::string(path.substr(7));
    }
    return std::string(path);
  }
  std::string folder_;
};

struct Workstation {
  Workstation(testing_support::MemoryFileSystem& shared, const std::filesystem::path& lockRoot,
              const char* folder)
      : files(shared, folder), store(files), form(store), list(store) {
    EXPECT_EQ(lock.Acquire(lockRoot), platform::LockOutcome::kHeld);
    store.SetDriveLock(&lock);
    EXPECT_TRUE(store.StartUp().ok());
  }
  WorkstationFiles files;
  platform::DriveLock lock;
  store::Store store;
  sessions::ExamFormSession form;
  sessions::ExamListSession list;
};

class ExamListSharingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    memory = std::make_unique<testing_support::MemoryFileSystem>();
    memory->WriteBytes(store::kDataFile, testing_support::ExamFileBytes(5));
    first = std::make_unique<Workstation>(*memory, drive.Root(), "C:\\WS1");
    second = std::make_unique<Workstation>(*memory, drive.Root(), "C:\\WS2");
  }

  void Delete(int n) {
    ASSERT_TRUE(second->form.ShowExamination(n).read);
    EXPECT_EQ(second->form.Delete(progress).after, FormAfter::Examination);
  }
  void Rename(int n, const std::string& name) {
    const sessions::ShownExamination shown = second->form.ShowExamination(n);
    ASSERT_TRUE(shown.read);
    ExamEntry entry;
    entry.record = shown.record;
    entry.record.Set(ExamField::Name, name);
    entry.examDate = shown.record.Get(ExamField::ExamDate);
    entry.patientId = shown.record.Get(ExamField::PatientId);
    entry.name = name;
    entry.sex = shown.record.Get(ExamField::Sex);
    entry.imageName = entry.imageNameTrimmed = shown.record.Get(ExamField::ImageName);
    EXPECT_TRUE(second->form.Overwrite(entry, {}).Silent());
  }
  void Register(const std::string& id = "000900") {
    second->form.StartNewExamination();
    ExamEntry entry;
    entry.record = Exam(9).With(ExamField::PatientId, id).With(ExamField::ImageName, "N9");
    entry.examDate = entry.record.Get(ExamField::ExamDate);
    entry.patientId = id;
    entry.name = entry.record.Get(ExamField::Name);
    entry.sex = entry.record.Get(ExamField::Sex);
    entry.imageName = entry.imageNameTrimmed = "N9";
    EXPECT_EQ(second->form.RegisterNew(entry, {}).after, FormAfter::NewExamination);
  }

  testing_support::TempDrive drive;  // holds the lock file only
  std::unique_ptr<testing_support::MemoryFileSystem> memory;
  testing_support::RecordingProgress progress;
  std::unique_ptr<Workstation> first, second;
};

TEST_F(ExamListSharingTest, AListClosesOnlyWhenItsRowsAreNoLongerTheStoredRecords) {
  struct Case {
    const char* name;
    bool search;  // the hits of ID 102 (examination 2) instead of every record
    std::function<void()> other;
    ListStep after;
    int listCount;  // while it stays
  } cases[] = {
      {"nothing changed", false, [] {}, ListStep::Stayed, 5},
      {"a registration joins the list of every record", false, [&] { Register(); }, ListStep::Moved,
       6},
      {"a registration leaves a search's hits as they are", true, [&] { Register(); },
       ListStep::Stayed, 1},
      {"a registration that meets the search joins its hits", true, [&] { Register("000102"); },
       ListStep::Moved, 2},
      {"an overwrite of a row", false, [&] { Rename(3, "別人"); }, ListStep::Ended, 0},
      {"a delete of the last row", false, [&] { Delete(5); }, ListStep::Ended, 0},
      {"a delete renumbers the rows after it", false, [&] { Delete(1); }, ListStep::Ended, 0},
      {"a search's hit untouched by a delete after it", true, [&] { Delete(5); }, ListStep::Stayed,
       1},
      {"a search's hit renumbered by a delete before it", true, [&] { Delete(1); }, ListStep::Ended,
       0},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    if (c.search) {
      store::SearchCriteria criteria;
      criteria.id = "102";
      ASSERT_EQ(first->list.Search(criteria, progress).opening, ListOpening::Opened);
      ASSERT_EQ(first->list.ListCount(), 1);
    } else {
      ASSERT_EQ(first->list.OpenListOfAllRecords(progress).opening, ListOpening::Opened);
    }
    c.other();
    const sessions::ListStepOutcome followed = first->list.FollowDrive();
    const bool closes = c.after == ListStep::Ended;
    EXPECT_EQ(followed.step, c.after);
    EXPECT_EQ(first->list.WorkFileOpen(), !closes);
    EXPECT_EQ(followed.Silent(), !closes);
    EXPECT_EQ(first->list.ListCount(), c.listCount);
    if (closes) {
      EXPECT_TRUE(followed.messages[0].text.starts_with("他の端末でデータが変更されたため"));
    } else {
      // Every row names the record stored under its key, the new ones too.
      first->list.FirstPage();
      const sessions::ListPageOutcome page = first->list.ReadPage();
      EXPECT_EQ(static_cast<int>(page.rows.size()), c.listCount);
      for (const auto& row : page.rows) {
        const sessions::ShownExamination stored = second->form.ShowExamination(row.key);
        ASSERT_TRUE(stored.read);
        EXPECT_EQ(stored.record.Get(ExamField::Name), row.record.Get(ExamField::Name));
      }
    }
    // Once looked at, the same change is not looked at again.
    EXPECT_EQ(first->list.FollowDrive().step, ListStep::Stayed);
  }
}

}  // namespace
