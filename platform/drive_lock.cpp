#include "platform/drive_lock.h"

#include "platform/error_text.h"
#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace platform {
namespace {

// The layout of the lock file: the generation (8 bytes, little-endian) at
// 0, the rebuild mark at 8. The lock itself lies far beyond them, so that a
// server that enforces byte-range locks never refuses reading the counter.
constexpr off_t kGenerationAt = 0;
constexpr off_t kRebuildMarkAt = 8;
constexpr off_t kLockAt = 4096;
// Every program on the drive holds this byte shared for its whole run, so
// that a restore can tell whether any other program uses the drive.
constexpr off_t kPresentAt = 4097;

constexpr auto kFirstWaitReport = std::chrono::milliseconds(500);
constexpr auto kRetryEvery = std::chrono::milliseconds(20);
constexpr auto kReportEvery = std::chrono::milliseconds(100);

bool OnReadOnlyDrive(const std::filesystem::path& path) {
  struct statvfs vfs {};
  return ::statvfs(path.c_str(), &vfs) == 0 && (vfs.f_flag & ST_RDONLY) != 0;
}

int SetLock(int fd, short type, bool wait, off_t at = kLockAt) {
  struct flock range {};
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = at;
  range.l_len = 1;
  return ::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &range);
}

}  // namespace

DriveLock::~DriveLock() { Release(); }

LockOutcome DriveLock::Acquire(const std::filesystem::path& driveRoot) {
  Release();
  error_ = kNoError;
  root_ = driveRoot;
  (void)CreateFolders(driveRoot);
  const std::filesystem::path lockPath = driveRoot / ".velunor2.lock";
  int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, ModesIn(driveRoot).file);
  const int openError = fd < 0 ? errno : 0;
  writable_ = fd >= 0;
  if (fd < 0 && (openError == EROFS || openError == EACCES || openError == EPERM)) {
    fd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
  }
  fd_ = fd;
  if (fd_ >= 0) (void)SetLock(fd_, F_RDLCK, false, kPresentAt);
  if (writable_) return LockOutcome::kHeld;
  error_ = ErrorFromErrno(openError);
  if (openError == EROFS || OnReadOnlyDrive(driveRoot)) return LockOutcome::kReadOnlyDrive;
  if (openError == EACCES || openError == EPERM) return LockOutcome::kNoPermission;
  return LockOutcome::kFailed;
}

void DriveLock::Release() {
  if (fd_ >= 0) {
    ::close(fd_);  // drops every lock of this open file
    fd_ = -1;
  }
  writable_ = false;
}

Status DriveLock::LockShared(const WaitFunction& wait) { return Lock(F_RDLCK, wait); }

Status DriveLock::LockExclusive(const WaitFunction& wait) {
  // A file opened for reading only cannot carry a write lock.
  if (fd_ >= 0 && !writable_) return Status::Error(kPermissionDenied);
  return Lock(F_WRLCK, wait);
}

Status DriveLock::Lock(short type, const WaitFunction& wait) {
  if (fd_ < 0) return Status::Error(kBadFileNameOrNumber);
  if (!wait) {
    while (SetLock(fd_, type, true) != 0) {
      if (errno != EINTR) return Status::Error(ErrorFromErrno(errno));
    }
    return Status::Ok();
  }
  const auto start = std::chrono::steady_clock::now();
  auto nextReport = start + kFirstWaitReport;
  for (;;) {
    if (SetLock(fd_, type, false) == 0) return Status::Ok();
    if (errno != EAGAIN && errno != EACCES && errno != EINTR) {
      return Status::Error(ErrorFromErrno(errno));
    }
    const auto now = std::chrono::steady_clock::now();
    if (now >= nextReport) {
      if (!wait(RebuildMarked() ? Waiting::kRebuild : Waiting::kUpdate)) {
        return Status::Error(kPermissionDenied);
      }
      nextReport = now + kReportEvery;
    }
    std::this_thread::sleep_for(kRetryEvery);
  }
}

bool DriveLock::OthersPresent() const {
  if (fd_ < 0) return false;
  struct flock range {};
  range.l_type = F_WRLCK;
  range.l_whence = SEEK_SET;
  range.l_start = kPresentAt;
  range.l_len = 1;
  return ::fcntl(fd_, F_OFD_GETLK, &range) == 0 && range.l_type != F_UNLCK;
}

bool DriveLock::TryLockShared() { return fd_ >= 0 && SetLock(fd_, F_RDLCK, false) == 0; }

void DriveLock::Unlock() {
  if (fd_ >= 0) (void)SetLock(fd_, F_UNLCK, false);
}

bool DriveLock::Reachable() const {
  struct stat facts {};
  char byte = 0;
  return fd_ >= 0 && ::fstat(fd_, &facts) == 0 && facts.st_nlink > 0 &&
         ::pread(fd_, &byte, 1, kGenerationAt) >= 0;
}

bool DriveLock::Reconnect() {
  if (Reachable()) return true;
  if (root_.empty()) return false;
  const std::filesystem::path lockPath = root_ / ".velunor2.lock";
  const int fd = ::open(lockPath.c_str(), (writable_ ? O_RDWR : O_RDONLY) | O_CLOEXEC);
  if (fd < 0) return false;
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
  (void)SetLock(fd_, F_RDLCK, false, kPresentAt);
  return Reachable();
}

std::uint64_t DriveLock::Generation() const {
  unsigned char bytes[8] = {};
  if (fd_ < 0 || ::pread(fd_, bytes, sizeof bytes, kGenerationAt) != sizeof bytes) return 0;
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

std::uint64_t DriveLock::RaiseGeneration() {
  const std::uint64_t old = Generation();
  const std::uint64_t value = old + 1;
  unsigned char bytes[8];
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
  if (fd_ < 0 || ::pwrite(fd_, bytes, sizeof bytes, kGenerationAt) != sizeof bytes) return old;
  return value;
}

void DriveLock::MarkRebuild(bool rebuilding) {
  const char mark = rebuilding ? 1 : 0;
  if (fd_ >= 0) (void)::pwrite(fd_, &mark, 1, kRebuildMarkAt);
}

bool DriveLock::RebuildMarked() const {
  char mark = 0;
  return fd_ >= 0 && ::pread(fd_, &mark, 1, kRebuildMarkAt) == 1 && mark == 1;
}

std::string_view WaitingText(DriveLock::Waiting waiting) {
  return waiting == DriveLock::Waiting::kRebuild ? "他の端末でファイルを再構成しています…"
                                                 : "他の端末が更新中です…";
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
