#pragma once

#include <filesystem>

#include "platform/status.h"

namespace platform {

// An advisory lock on the data drive, held for the whole run so that a second
// Velunor2.0 on the same drive refuses to start. The operating system drops
// the lock when the process ends, so a crashed run never blocks a start.
class DriveLock {
 public:
  DriveLock() = default;
  ~DriveLock();
  DriveLock(const DriveLock&) = delete;
  DriveLock& operator=(const DriveLock&) = delete;

  // kPermissionDenied when another process holds the lock.
  Status Acquire(const std::filesystem::path& driveRoot);
  void Release();
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace platform
