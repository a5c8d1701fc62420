#include "platform/drive_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace platform {

DriveLock::~DriveLock() { Release(); }

Status DriveLock::Acquire(const std::filesystem::path& driveRoot) {
  Release();
  std::error_code ec;
  std::filesystem::create_directories(driveRoot, ec);
  std::filesystem::path lockPath = driveRoot / ".velunor2.lock";
  int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return Status::Error(ErrorFromErrno(errno));
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int saved = errno;
    ::close(fd);
    return Status::Error(saved == EWOULDBLOCK ? kPermissionDenied : ErrorFromErrno(saved));
  }
  fd_ = fd;
  return Status::Ok();
}

void DriveLock::Release() {
  if (fd_ >= 0) {
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
  }
}

}  // namespace platform
