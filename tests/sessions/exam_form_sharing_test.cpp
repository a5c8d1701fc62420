// Two workstations on one drive: two stores over one file system, each with
// its own handle on the drive's lock file. What one changes, the other's
// form follows; an overwrite never undoes the other's change.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/drive_lock.h"
#include "sessions/exam_form_session.h"
#include "store/store.h"
#include "store/text_format.h"
#include "tests/support/exam_entries.h"
#include "tests/support/fake_ui.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/recording_progress.h"
#include "tests/support/records.h"
#include "tests/support/scripted_sort.h"
#include "tests/support/temp_drive.h"

namespace {

using sessions::ExamEntry;
using sessions::ExamFormSession;
using sessions::FormAfter;
using store::ExamField;
using store::ExamRecord;
using testing_support::Exam;
using testing_support::ExamsOf;

constexpr const char* kGone = "表示していた検査は他の端末で削除されました。";
constexpr const char* kChanged = "このデータは表示した後に他の端末で変更されたため";

struct Workstation {
  Workstation(testing_support::MemoryFileSystem& files, const std::filesystem::path& lockRoot)
      : store(files), form(store) {
    EXPECT_EQ(lock.Acquire(lockRoot), platform::LockOutcome::kHeld);
    store.SetDriveLock(&lock);
    EXPECT_TRUE(store.StartUp().ok());
  }
  platform::DriveLock lock;
  store::Store store;
  ExamFormSession form;
};

class ExamFormSharingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    memory.WriteBytes(store::kDataFile, testing_support::ExamFileBytes(5));
    first = std::make_unique<Workstation>(memory, drive.Root());
    second = std::make_unique<Workstation>(memory, drive.Root());
  }

  std::vector<ExamRecord> Data() const { return ExamsOf(memory.ReadBytes(store::kDataFile)); }

  // The form as it was filled from examination n, with `name` typed in.
  static ExamEntry EntryOf(const ExamRecord& shown, const std::string& name) {
    ExamRecord named = shown;
    named.Set(ExamField::Name, name);
    return testing_support::EntryOf(named);
  }
  static sessions::PictureConversion NoPicture() { return {}; }

  void Delete(Workstation& w, int n) {
    ASSERT_TRUE(w.form.ShowExamination(n).read);
    EXPECT_EQ(w.form.Delete(progress).after, FormAfter::Examination);
  }
  void Overwrite(Workstation& w, int n, const std::string& name) {
    const sessions::ShownExamination shown = w.form.ShowExamination(n);
    ASSERT_TRUE(shown.read);
    EXPECT_TRUE(w.form.Overwrite(EntryOf(shown.record, name), NoPicture()).Silent());
  }
  void Register(Workstation& w, const std::string& id) {
    w.form.StartNewExamination();
    ExamEntry entry =
        EntryOf(Exam(9).With(ExamField::PatientId, id).With(ExamField::ImageName, id), "新規" + id);
    EXPECT_EQ(w.form.RegisterNew(entry, NoPicture()).after, FormAfter::NewExamination);
  }

  testing_support::TempDrive drive;  // holds the lock file only
  testing_support::MemoryFileSystem memory;
  testing_support::RecordingProgress progress;
  std::unique_ptr<Workstation> first, second;
};

TEST_F(ExamFormSharingTest, TheFormFollowsWhatAnotherWorkstationChanged) {
  struct Case {
    const char* name;
    int shown;                    // on the first workstation; 0: a new examination
    bool typed;                   // the first holds typed, unregistered work
    std::function<void()> other;  // what the second does meanwhile
    bool changed;
    FormAfter after;
    int record;        // FormAfter::Examination
    int shownNumber;   // where the first stands afterwards
    const char* said;  // nullptr: nothing
  } cases[] = {
      {"nothing changed", 3, false, [] {}, false, FormAfter::Unchanged, 0, 0, nullptr},
      {"a registration moves a new examination's number", 0, true,
       [&] { Register(*second, "000700"); }, true, FormAfter::Unchanged, 0, 7, nullptr},
      {"a delete before it moves the examination down", 3, false, [&] { Delete(*second, 1); }, true,
       FormAfter::Examination, 2, 2, nullptr},
      {"typed work is only renumbered", 3, true, [&] { Delete(*second, 1); }, true,
       FormAfter::Unchanged, 0, 2, nullptr},
      {"an edit elsewhere is shown", 3, false, [&] { Overwrite(*second, 3, "別人"); }, true,
       FormAfter::Examination, 3, 3, nullptr},
      {"its delete is said and the next shown", 5, false, [&] { Delete(*second, 5); }, true,
       FormAfter::Examination, 4, 4, kGone},
      {"typed work of a deleted one stays as a new one", 3, true, [&] { Delete(*second, 3); }, true,
       FormAfter::Unchanged, 0, 5, kGone},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    if (c.shown > 0) {
      ASSERT_TRUE(first->form.ShowExamination(c.shown).read);
    } else {
      first->form.StartNewExamination();
    }
    c.other();
    const sessions::DriveRefresh refresh = first->form.Refresh(c.typed);
    EXPECT_EQ(refresh.changed, c.changed);
    EXPECT_EQ(refresh.after, c.after);
    if (c.after == FormAfter::Examination) {
      EXPECT_EQ(refresh.record, c.record);
    }
    if (c.changed) {
      EXPECT_EQ(refresh.shownNumber, c.shownNumber);
    }
    if (c.typed) {
      EXPECT_EQ(first->form.ShownRecordNumber(), c.shownNumber);
    }
    EXPECT_EQ(first->form.RecordCount(), static_cast<int>(Data().size()));
    if (c.said == nullptr) {
      EXPECT_TRUE(refresh.Silent());
    } else {
      ASSERT_FALSE(refresh.Silent());
      EXPECT_TRUE(refresh.messages[0].text.starts_with(c.said)) << refresh.messages[0].text;
    }
    // Once caught up, a second look finds nothing new.
    EXPECT_FALSE(first->form.Refresh(c.typed).changed);
  }
}

TEST_F(ExamFormSharingTest, AnOverwriteOfAnExaminationChangedElsewhereIsRefusedWithBothVersions) {
  struct Case {
    const char* name;
    std::function<void()> other;
    bool refused;
    const char* shows;  // a line of the refusal
  } cases[] = {
      {"unchanged elsewhere", [] {}, false, nullptr},
      {"overwritten elsewhere", [&] { Overwrite(*second, 2, "別人"); }, true,
       "氏名：　手元　→　別人"},
      {"deleted elsewhere", [&] { Delete(*second, 2); }, true,
       "この検査は他の端末で削除されました。"},
      {"moved by a delete elsewhere", [&] { Delete(*second, 1); }, true,
       "ファイルＮＯ 1 "
       "に移りました。\n（この画面の内容　→　いま保存されている内容）\n氏名：　手元　→　患者2"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    const sessions::ShownExamination shown = first->form.ShowExamination(2);
    ASSERT_TRUE(shown.read);
    c.other();
    const std::vector<ExamRecord> before = Data();
    const ExamEntry mine = EntryOf(shown.record, "手元");
    const sessions::FormChange asked = first->form.CheckOverwrite(mine);
    const sessions::FormChange done = first->form.Overwrite(mine, NoPicture());
    if (!c.refused) {
      EXPECT_TRUE(asked.ask.has_value());
      EXPECT_EQ(Data()[1].Get(ExamField::Name), "手元");
      continue;
    }
    for (const sessions::FormChange* outcome : {&asked, &done}) {
      EXPECT_FALSE(outcome->ask.has_value());
      ASSERT_EQ(outcome->messages.size(), 1u);
      EXPECT_TRUE(outcome->messages[0].text.starts_with(kChanged));
      EXPECT_NE(outcome->messages[0].text.find(c.shows), std::string::npos)
          << outcome->messages[0].text;
    }
    ASSERT_EQ(Data().size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
      EXPECT_EQ(Data()[i].Bytes(), before[i].Bytes()) << "record " << i + 1;
    }
  }
}

TEST_F(ExamFormSharingTest, RegistrationsOnBothWorkstationsEachLandOnce) {
  first->form.StartNewExamination();
  second->form.StartNewExamination();
  Register(*first, "000801");
  Register(*second, "000802");
  Register(*first, "000803");
  const std::vector<ExamRecord> data = Data();
  ASSERT_EQ(data.size(), 8u);
  EXPECT_EQ(data[5].Get(ExamField::PatientId), "000801");
  EXPECT_EQ(data[6].Get(ExamField::PatientId), "000802");
  EXPECT_EQ(data[7].Get(ExamField::PatientId), "000803");
  for (int n = 1; n <= 8; ++n) {
    EXPECT_EQ(std::stoi(data[n - 1].Get(ExamField::RecordNo)), n);
  }
  EXPECT_EQ(first->form.RecordCount(), 8);
  EXPECT_EQ(second->form.RecordCount(), 7);  // until it looks again
  EXPECT_TRUE(second->form.Refresh(false).changed);
  EXPECT_EQ(second->form.RecordCount(), 8);
}

TEST_F(ExamFormSharingTest, WithoutTheDriveNoChangeBeginsAndNothingIsWritten) {
  struct Case {
    const char* name;
    std::function<sessions::FormChange()> change;
  } cases[] = {
      {"登録",
       [&] {
         first->form.StartNewExamination();
         ExamEntry entry = EntryOf(Exam(9).With(ExamField::ImageName, "N9"), "新規");
         return first->form.RegisterNew(entry, NoPicture());
       }},
      {"上書き",
       [&] {
         const sessions::ShownExamination shown = first->form.ShowExamination(2);
         return first->form.Overwrite(EntryOf(shown.record, "手元"), NoPicture());
       }},
      {"削除",
       [&] {
         (void)first->form.ShowExamination(2);
         return first->form.Delete(progress);
       }},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    const std::string before = memory.ReadBytes(store::kDataFile);
    // The share is gone: its lock file no longer reaches anything.
    std::filesystem::remove(drive.Root() / ".velunor2.lock");
    const sessions::FormChange done = c.change();
    EXPECT_FALSE(done.Silent());
    EXPECT_EQ(memory.ReadBytes(store::kDataFile), before);
    EXPECT_TRUE(first->store.DriveUnreachable());
    EXPECT_TRUE(first->store.ReadOnlySession());
  }
}

TEST_F(ExamFormSharingTest, TheRunIsReadOnlyWhileTheDriveIsUnreachable) {
  const std::filesystem::path lockFile = drive.Root() / ".velunor2.lock";
  struct Case {
    const char* name;
    std::function<void()> drive;  // what happens to the share
    bool switched;
    bool readOnly;
  } cases[] = {
      {"reachable", [] {}, false, false},
      {"gone", [&] { std::filesystem::remove(lockFile); }, true, true},
      {"still gone", [] {}, false, true},
      {"back", [&] { std::ofstream(lockFile).put('\0'); }, true, false},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.drive();
    EXPECT_EQ(first->store.FollowDriveReachability(), c.switched);
    EXPECT_EQ(first->store.ReadOnlySession(), c.readOnly);
    EXPECT_EQ(first->store.DataFileRefusal(true).starts_with("データドライブに接続できません。"),
              c.readOnly);
    EXPECT_TRUE(first->store.DataFileRefusal(false).empty());
  }
  // Back on the drive, a change is written and the other workstation sees it.
  Register(*first, "000801");
  EXPECT_EQ(Data().size(), 6u);
  (void)second->store.FollowDriveReachability();
  EXPECT_TRUE(second->form.Refresh(false).changed);
  EXPECT_EQ(second->form.RecordCount(), 6);
}

// A sort asks and says it ended while the other workstations can read:
// none of them waits for the user's answer.
TEST_F(ExamFormSharingTest, ASortHoldsTheDriveOnlyWhileItWorks) {
  testing_support::DriveWatchingUi ui(second->lock);
  testing_support::ScriptedSort sort;
  ASSERT_TRUE(first->form.ShowExamination(1).read);
  ui.Expect("データをＩＤ順に並べ替えます。", platform::kAnswerYes);
  const sessions::FormChange done =
      first->form.Sort(ui, progress, ExamFormSession::SortOrder::ById, sort.Factory());
  EXPECT_TRUE(ui.AllAnswered());
  EXPECT_EQ(ui.free, std::vector<bool>{true});
  ASSERT_EQ(done.messages.size(), 1u);
  EXPECT_EQ(done.messages[0].text, "終了。");
}

TEST_F(ExamFormSharingTest, OnlyTheOtherWorkstationsSayAFileIsBeingRebuilt) {
  const store::Store::DriveScope rebuilding = first->store.Changing(true);
  ASSERT_TRUE(rebuilding);
  EXPECT_FALSE(first->store.DriveBeingRebuilt());
  EXPECT_TRUE(second->store.DriveBeingRebuilt());
}

}  // namespace
