#include "sessions/drive_tools_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "store/long_operation.h"
#include "tests/support/recording_progress.h"
#include "tests/support/records.h"
#include "tests/support/temp_drive.h"

namespace {

namespace fsys = std::filesystem;
using sessions::DriveToolsSession;

constexpr std::time_t kNow = 1'800'000'000;
constexpr std::time_t kDay = 24 * 60 * 60;

void Put(const fsys::path& file, const std::string& bytes) {
  fsys::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

class DriveToolsSessionTest : public ::testing::Test {
 protected:
  testing_support::TempDrive t;
  fsys::path root = t.Root() / "C";
  fsys::path usb = t.Root() / "usb";
  platform::PosixFileSystem files{platform::DataDrive(root)};
  store::Store store{files};
  DriveToolsSession session{store};
  testing_support::RecordingProgress progress;

  void Start(int examinations) {
    Put(root / "VLN2/VLN2.ekg", testing_support::ExamFileBytes(examinations));
    Put(root / "VLN2/GAZOU/IMG1.jpg", "jpeg");
    fsys::create_directories(usb);
    ASSERT_TRUE(store.StartUp().ok());
  }
};

// The menu's workflow end to end: backup, a change, restore of the backup
// with the changed drive saved first, and the store reopened on the result.
TEST_F(DriveToolsSessionTest, BackupThenRestoreBringsTheDriveBack) {
  Start(3);
  EXPECT_EQ(session.LastBackupText(), "バックアップ未作成");
  const sessions::BackupOutcome backup = session.Backup(usb, kNow, progress);
  ASSERT_TRUE(backup.done);
  ASSERT_EQ(backup.messages.size(), 1u);
  EXPECT_EQ(
      backup.messages[0].text.rfind("バックアップが完了しました（3 件の検査、1 枚の画像、", 0), 0u)
      << backup.messages[0].text;
  EXPECT_NE(session.LastBackupText().find("最終バックアップ: "), std::string::npos);

  Put(root / "VLN2/VLN2.ekg", testing_support::ExamFileBytes(5));
  ASSERT_TRUE(store.CloseReplaceReopen([] { return platform::Status::Ok(); }).ok());
  ASSERT_EQ(store.RecordCount(), 5);

  const sessions::RestoreQuestion question = session.AskRestore(backup.archive, progress);
  ASSERT_TRUE(question.sound);
  EXPECT_TRUE(question.Silent());
  EXPECT_NE(question.question.find("3 件の検査"), std::string::npos);
  EXPECT_NE(question.style & platform::kDefaultButton2, 0);

  const sessions::RestoreOutcome restored =
      session.Restore(backup.archive, t.Root() / "auto", kNow + 60, progress);
  ASSERT_TRUE(restored.replaced) << (restored.Silent() ? "" : restored.messages[0].text);
  EXPECT_EQ(store.RecordCount(), 3);
  EXPECT_EQ(session.LastBackup(), std::optional<std::time_t>(kNow));
  const store::BackupResult saved = store::CheckBackup(files, restored.automaticBackup, progress);
  ASSERT_TRUE(saved.ok());
  EXPECT_EQ(saved.manifest.examinations, 5);
}

TEST_F(DriveToolsSessionTest, DamagedArchiveIsNotOfferedForRestore) {
  Start(2);
  const sessions::BackupOutcome backup = session.Backup(usb, kNow, progress);
  ASSERT_TRUE(backup.done);
  std::string bytes;
  ASSERT_TRUE(files.ReadFile(backup.archive.string(), bytes).ok());
  Put(backup.archive, bytes.substr(0, bytes.size() / 2));
  const sessions::RestoreQuestion question = session.AskRestore(backup.archive, progress);
  EXPECT_FALSE(question.sound);
  ASSERT_EQ(question.messages.size(), 1u);
  EXPECT_EQ(question.messages[0].text.rfind("このバックアップからは復元できません。", 0), 0u);
}

TEST_F(DriveToolsSessionTest, NoRestoreWhileAListIsOnScreen) {
  Start(2);
  const sessions::BackupOutcome backup = session.Backup(usb, kNow, progress);
  ASSERT_TRUE(backup.done);
  Put(root / "VLN2/TEMP.DATA", testing_support::ExamFileBytes(1));
  const sessions::RestoreQuestion question = session.AskRestore(backup.archive, progress);
  EXPECT_FALSE(question.sound);
  ASSERT_EQ(question.messages.size(), 1u);
  EXPECT_EQ(question.messages[0].text, "一覧・検索の画面を閉じてから復元してください。");
}

TEST_F(DriveToolsSessionTest, NothingStartsWhileAnotherLongOperationRuns) {
  Start(1);
  store::LongOperation running(store);
  EXPECT_TRUE(session.Backup(usb, kNow, progress).Silent());
  EXPECT_TRUE(fsys::is_empty(usb));
  EXPECT_FALSE(session.AskRestore(usb / "x.tar.gz", progress).sound);
  const sessions::CheckOutcome check = session.Check(false, progress);
  EXPECT_TRUE(check.findings.empty() && check.report.empty());
}

TEST_F(DriveToolsSessionTest, ReminderComesWhenTheLastBackupIsOlderThanTheDays) {
  struct Case {
    const char* name;
    int examinations;
    std::optional<std::time_t> lastBackup;
    bool reminded;
  };
  const Case cases[] = {
      {"empty drive, never backed up", 0, std::nullopt, false},
      {"examinations, never backed up", 2, std::nullopt, true},
      {"backed up 6 days ago", 2, kNow - 6 * kDay, false},
      {"backed up 8 days ago", 2, kNow - 8 * kDay, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fsys::remove_all(root);
    Start(c.examinations);
    if (c.lastBackup) store::NoteLastBackup(files, root, *c.lastBackup);
    EXPECT_EQ(!session.Reminder(kNow, 7).empty(), c.reminded);
  }
}

}  // namespace
