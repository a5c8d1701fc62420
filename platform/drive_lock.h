#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace platform {

// How opening the drive's lock file went.
enum class LockOutcome {
  kHeld,           // the lock file is open: this run may take locks and write
  kHeldByAnother,  // (no longer given: several programs share a drive)
  kReadOnlyDrive,  // the lock file cannot be made: the drive is read-only
  kNoPermission,   // the lock file cannot be made: no permission to write there
  kFailed,         // anything else (see Error())
};

// The lock file of a data drive that several programs (on one machine or on
// several machines sharing the drive) use at once. Each command takes a lock
// on it: shared while it only reads, exclusive while it changes a file. The
// locks are open-file-description byte-range locks, which network file
// systems carry between machines; the file system drops them when the
// program ends, however it ends.
//
// The file also holds the drive's generation, a counter that each change
// raises, and the mark of a rebuild of a whole file, so that a program that
// waits can say what it waits for.
class DriveLock {
 public:
  DriveLock() = default;
  ~DriveLock();
  DriveLock(const DriveLock&) = delete;
  DriveLock& operator=(const DriveLock&) = delete;

  // Opens "<driveRoot>/.velunor2.lock", creating the file when missing. A
  // lock file that exists but cannot be opened for writing (a read-only
  // drive, no write permission) is opened for reading: shared locks and the
  // generation still work, and kReadOnlyDrive or kNoPermission says that
  // this run must not write. A lock file that can be neither made nor opened
  // gives kReadOnlyDrive, kNoPermission or kFailed and no file.
  LockOutcome Acquire(const std::filesystem::path& driveRoot);
  void Release();
  bool Held() const { return fd_ >= 0; }
  // The run-time error number behind the last kFailed.
  int Error() const { return error_; }

  // What a waiting lock is waiting for.
  enum class Waiting { kUpdate, kRebuild };
  // Asked while a lock is not granted, first after 0.5 s, then about every
  // 0.1 s; false cancels the wait.
  using WaitFunction = std::function<bool(Waiting)>;

  // Takes the shared (reading) or the exclusive (changing) lock, waiting for
  // the other programs' locks to end. A lock already held is changed to the
  // one asked. Fails with kPermissionDenied when the wait is cancelled and
  // with kBadFileNameOrNumber when the file is not open.
  [[nodiscard]] Status LockShared(const WaitFunction& wait = {});
  [[nodiscard]] Status LockExclusive(const WaitFunction& wait = {});
  // Whether another program (here or on another machine) has the drive's
  // lock file open through Acquire, whatever it is doing now.
  bool OthersPresent() const;
  // Takes the lock only when it is free now.
  bool TryLockShared();
  void Unlock();

  // Whether the lock file can still be read: false when the share that
  // holds the drive cannot be reached (or the file was taken away).
  bool Reachable() const;
  // Opens the lock file of the drive given to Acquire again (never creating
  // it: an empty mount point is not the drive) in place of a handle that no
  // longer reaches it. True when the drive is reachable afterwards.
  bool Reconnect();

  // The generation stored on the drive (0 for a new lock file).
  std::uint64_t Generation() const;
  // Raises the generation by one; only under the exclusive lock. Returns the
  // new value (the old one when the file cannot be written).
  std::uint64_t RaiseGeneration();
  // Marks (or ends) a rebuild of a whole file; only under the exclusive lock.
  void MarkRebuild(bool rebuilding);
  bool RebuildMarked() const;

 private:
  Status Lock(short type, const WaitFunction& wait);
  int fd_ = -1;
  std::filesystem::path root_;
  bool writable_ = false;
  int error_ = kNoError;
};

// The words for a wait, as the status line and the waiting window show them.
std::string_view WaitingText(DriveLock::Waiting waiting);

// The message for an outcome other than kHeld, naming the drive.
// For kReadOnlyDrive and kNoPermission the program goes on for reading only.
std::string DriveLockMessage(LockOutcome outcome, const std::filesystem::path& driveRoot,
                             int error = kNoError);

}  // namespace platform
