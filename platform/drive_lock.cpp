#include "platform/drive_lock.h"

#include "platform/error_text.h"
#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace platform {
namespace {

bool OnReadOnlyDrive(const std::filesystem::path& path) {
  struct statvfs vfs {};
  return ::statvfs(path.c_str(), &vfs) == 0 && (vfs.f_flag & ST_RDONLY) != 0;
}

}  // namespace

DriveLock::~DriveLock() { Release(); }

LockOutcome DriveLock::Acquire(const std::filesystem::path& driveRoot) {
  Release();
  error_ = kNoError;
  (void)CreateFolders(driveRoot);
  const std::filesystem::path lockPath = driveRoot / ".velunor2.lock";
  int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, ModesIn(driveRoot).file);
  if (fd < 0) {
    const int openError = errno;
    // A lock file that is there can be locked for reading as well.
    if (openError == EROFS || openError == EACCES || openError == EPERM) {
      fd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
    }
    if (fd < 0) {
      error_ = ErrorFromErrno(openError);
      if (openError == EROFS || OnReadOnlyDrive(driveRoot)) return LockOutcome::kReadOnlyDrive;
      if (openError == EACCES || openError == EPERM) return LockOutcome::kNoPermission;
      return LockOutcome::kFailed;
    }
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int saved = errno;
    ::close(fd);
    error_ = ErrorFromErrno(saved);
    return saved == EWOULDBLOCK ? LockOutcome::kHeldByAnother : LockOutcome::kFailed;
  }
  fd_ = fd;
  return LockOutcome::kHeld;
}

void DriveLock::Release() {
  if (fd_ >= 0) {
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
  }
}

std::string DriveLockMessage(LockOutcome outcome, const std::filesystem::path& driveRoot,
                             int error) {
  const std::string drive = "データドライブ（" + driveRoot.string() + "）";
  switch (outcome) {
    case LockOutcome::kHeld:
      return {};
    case LockOutcome::kHeldByAnother:
      return "この" + drive + "では既にVelunor2.0が起動しています。\n" +
             "先に起動しているVelunor2.0を終了してください。";
    case LockOutcome::kReadOnlyDrive:
      return drive + "は読み取り専用のため、使用中の印（ロックファイル）を作成できません。\n" +
             "データの表示だけができます。登録・削除・並べ替えはできません。";
    case LockOutcome::kNoPermission:
      return drive + "に書き込む権限がないため、使用中の印（ロックファイル）を作成できません。\n" +
             "他のVelunor2.0と同時に書き込まないよう、データの表示だけができます。" +
             "登録・削除・並べ替えはできません。";
    case LockOutcome::kFailed:
      break;
  }
  return drive + "を開けません。（エラー番号 " + ErrorText(error) + "）";
}

}  // namespace platform
