// The drive's lock file: several programs open it at once and exclude each
// other per command; a lock file that cannot be made gets its own message.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/drive_lock.h"
#include "tests/support/temp_drive.h"

namespace {

using platform::DriveLock;
using platform::LockOutcome;
using testing_support::TempDrive;

TEST(DriveLockOutcome, ManyProgramsOpenOneDriveAndOnlyAChangeKeepsTheOthersOut) {
  TempDrive t;
  DriveLock first;
  DriveLock second;
  DriveLock third;
  ASSERT_EQ(first.Acquire(t.Root()), LockOutcome::kHeld);
  ASSERT_EQ(second.Acquire(t.Root()), LockOutcome::kHeld);
  ASSERT_EQ(third.Acquire(t.Root()), LockOutcome::kHeld);
  // Each sees the others on the drive (a restore waits for none of them to be).
  EXPECT_TRUE(first.OthersPresent());
  second.Release();
  third.Release();
  EXPECT_FALSE(first.OthersPresent());
  ASSERT_EQ(second.Acquire(t.Root()), LockOutcome::kHeld);
  ASSERT_EQ(third.Acquire(t.Root()), LockOutcome::kHeld);
  struct Case {
    const char* name;
    bool firstChanges;  // the first holds the exclusive lock, else a shared one
    bool othersRead;    // whether the others may take a shared lock meanwhile
  } cases[] = {{"readers share", false, true}, {"a change excludes readers", true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE((c.firstChanges ? first.LockExclusive() : first.LockShared()).ok());
    EXPECT_EQ(second.TryLockShared(), c.othersRead);
    EXPECT_EQ(third.TryLockShared(), c.othersRead);
    second.Unlock();
    third.Unlock();
    first.Unlock();
    EXPECT_TRUE(second.TryLockShared());  // free again
    second.Unlock();
  }

  // A folder where the lock file belongs is a failure, not another program.
  TempDrive blocked;
  std::filesystem::create_directory(blocked.Root() / ".velunor2.lock");
  DriveLock blockedLock;
  EXPECT_EQ(blockedLock.Acquire(blocked.Root()), LockOutcome::kFailed);
  EXPECT_FALSE(blockedLock.Held());
  EXPECT_NE(blockedLock.Error(), 0);
}

TEST(DriveLockWait, AWaitIsToldAfterHalfASecondSaysWhyAndCanBeCancelled) {
  TempDrive t;
  DriveLock holder;
  DriveLock waiter;
  ASSERT_EQ(holder.Acquire(t.Root()), LockOutcome::kHeld);
  ASSERT_EQ(waiter.Acquire(t.Root()), LockOutcome::kHeld);
  struct Case {
    const char* name;
    bool rebuilding;
    DriveLock::Waiting told;
    const char* text;
  } cases[] = {
      {"a change", false, DriveLock::Waiting::kUpdate, "他の端末が更新中です…"},
      {"a rebuild", true, DriveLock::Waiting::kRebuild, "他の端末でファイルを再構成しています…"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(holder.LockExclusive().ok());
    holder.MarkRebuild(c.rebuilding);
    const auto start = std::chrono::steady_clock::now();
    std::vector<DriveLock::Waiting> told;
    const platform::Status s = waiter.LockShared([&](DriveLock::Waiting what) {
      told.push_back(what);
      return told.size() < 3;  // the third report cancels
    });
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(s.error, platform::kPermissionDenied);
    ASSERT_EQ(told.size(), 3u);
    EXPECT_EQ(told[0], c.told);
    EXPECT_EQ(platform::WaitingText(told[0]), c.text);
    EXPECT_GE(waited, std::chrono::milliseconds(500 + 2 * 100));
    EXPECT_LT(waited, std::chrono::milliseconds(2000));
    holder.MarkRebuild(false);
    holder.Unlock();
  }
  // A lock that frees within the half second is never told.
  bool told = false;
  EXPECT_TRUE(waiter.LockExclusive([&](DriveLock::Waiting) { return told = true; }).ok());
  EXPECT_FALSE(told);
}

TEST(DriveLockGeneration, EachChangeRaisesTheCounterEveryProgramReads) {
  TempDrive t;
  DriveLock first;
  DriveLock second;
  ASSERT_EQ(first.Acquire(t.Root()), LockOutcome::kHeld);
  ASSERT_EQ(second.Acquire(t.Root()), LockOutcome::kHeld);
  EXPECT_EQ(second.Generation(), 0u);
  for (std::uint64_t n = 1; n <= 300; ++n) {  // past one byte of the counter
    ASSERT_EQ(first.RaiseGeneration(), n);
  }
  EXPECT_EQ(second.Generation(), 300u);
  first.Release();
  DriveLock later;  // kept on the drive for the next start
  ASSERT_EQ(later.Acquire(t.Root()), LockOutcome::kHeld);
  EXPECT_EQ(later.Generation(), 300u);
}

TEST(DriveLockOutcome, EachOutcomeHasItsOwnMessage) {
  const std::filesystem::path root = "/srv/velunor/C";
  const std::string running = "既にVelunor2.0が起動しています";
  EXPECT_EQ(platform::DriveLockMessage(LockOutcome::kHeld, root), "");
  const std::string held = platform::DriveLockMessage(LockOutcome::kHeldByAnother, root);
  EXPECT_NE(held.find(running), std::string::npos);
  EXPECT_NE(held.find(root.string()), std::string::npos);
  const std::string readOnly = platform::DriveLockMessage(LockOutcome::kReadOnlyDrive, root);
  EXPECT_NE(readOnly.find("読み取り専用"), std::string::npos);
  EXPECT_NE(readOnly.find(root.string()), std::string::npos);
  const std::string denied = platform::DriveLockMessage(LockOutcome::kNoPermission, root);
  EXPECT_NE(denied.find("書き込む権限がない"), std::string::npos);
  const std::string failed = platform::DriveLockMessage(LockOutcome::kFailed, root, 75);
  EXPECT_NE(failed.find("75"), std::string::npos);
  for (const std::string& text : {readOnly, denied, failed}) {
    EXPECT_EQ(text.find(running), std::string::npos) << text;
  }
}

}  // namespace
