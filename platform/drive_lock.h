#pragma once

#include <filesystem>
#include <string>

#include "platform/status.h"

namespace platform {

// How taking the drive lock went.
enum class LockOutcome {
  kHeld,           // this run holds the lock
  kHeldByAnother,  // another program (a second Velunor2.0) holds it
  kReadOnlyDrive,  // the lock file cannot be made: the drive is read-only
  kNoPermission,   // the lock file cannot be made: no permission to write there
  kFailed,         // anything else (see Error())
};

// An advisory lock on the data drive, held for the whole run so that a second
// Velunor2.0 on the same drive refuses to start. The operating system drops
// the lock when the process ends, so a crashed run never blocks a start.
class DriveLock {
 public:
  DriveLock() = default;
  ~DriveLock();
  DriveLock(const DriveLock&) = delete;
  DriveLock& operator=(const DriveLock&) = delete;

  // Takes the lock on "<driveRoot>/.velunor2.lock", creating the file when
  // missing. A lock file that exists but cannot be opened for writing (a
  // read-only drive, no write permission) is locked through a read-only open,
  // so the lock still keeps a second program out. Only another holder gives
  // kHeldByAnother; a lock file that can be neither made nor opened gives
  // kReadOnlyDrive, kNoPermission or kFailed.
  LockOutcome Acquire(const std::filesystem::path& driveRoot);
  void Release();
  bool Held() const { return fd_ >= 0; }
  // The run-time error number behind the last kFailed (or the refusal).
  int Error() const { return error_; }

 private:
  int fd_ = -1;
  int error_ = kNoError;
};

// The message for an outcome other than kHeld, naming the drive.
// For kReadOnlyDrive and kNoPermission the program goes on for reading only.
std::string DriveLockMessage(LockOutcome outcome, const std::filesystem::path& driveRoot,
                             int error = kNoError);

}  // namespace platform
