// The drive lock tells a second program on the drive from a lock file that
// cannot be made, and each gets its own message.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/drive_lock.h"
#include "tests/support/temp_drive.h"

namespace {

using platform::DriveLock;
using platform::LockOutcome;
using testing_support::TempDrive;

TEST(DriveLockOutcome, OnlyAnotherHolderIsReportedAsRunning) {
  TempDrive t;
  DriveLock first;
  DriveLock second;
  ASSERT_EQ(first.Acquire(t.Root()), LockOutcome::kHeld);
  EXPECT_EQ(second.Acquire(t.Root()), LockOutcome::kHeldByAnother);
  first.Release();
  EXPECT_EQ(second.Acquire(t.Root()), LockOutcome::kHeld);

  // A folder where the lock file belongs is a failure, not another program.
  TempDrive blocked;
  std::filesystem::create_directory(blocked.Root() / ".velunor2.lock");
  DriveLock third;
  EXPECT_EQ(third.Acquire(blocked.Root()), LockOutcome::kFailed);
  EXPECT_FALSE(third.Held());
  EXPECT_NE(third.Error(), 0);
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
