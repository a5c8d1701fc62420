#pragma once

#include <memory>
#include <string>
#include <utility>

#include "platform/file_system.h"
#include "tests/support/wrapping_file_system.h"

namespace testing_support {

// A file system that wraps another and can be told to fail: on the n-th
// write, rename, sync or open from now, on every rename or every delete,
// with a chosen run-time error. Everything else goes to the wrapped one.
class FaultyFileSystem : public WrappingFileSystem {
 public:
  explicit FaultyFileSystem(platform::FileSystem& inner) : WrappingFileSystem(inner) {}
  // Wraps a disk file system of its own on `drive`.
  explicit FaultyFileSystem(platform::DataDrive drive);

  // The `n`-th RandomFile::WriteAt from now (1 = the next) fails with `error`,
  // and so do the `times` - 1 writes after it.
  void FailNthWrite(int n, int error = platform::kDiskFull, int times = 1) {
    writes_.Arm(n, error, times);
    shortBytes_ = 0;
  }
  // The same, but the first failing write first writes its first `bytes`
  // bytes, as a disk that fills up in the middle of a write does (the
  // failing writes after it write nothing).
  void FailNthWriteShort(int n, std::size_t bytes, int error = platform::kDiskFull, int times = 1) {
    writes_.Arm(n, error, times);
    shortBytes_ = bytes;
  }
  // From now until Heal, only writes to files whose path ends with `suffix`
  // are counted and failed (say, the data file, whatever the history writes
  // first).
  void CountOnlyWritesTo(std::string suffix) { writesTo_ = std::move(suffix); }
  // The bytes the failing write now about to fail writes first.
  std::size_t TakeShortBytes() { return std::exchange(shortBytes_, 0); }
  // The `n`-th Rename from now fails with `error`, leaving both names as they were.
  void FailNthRename(int n, int error = platform::kPermissionDenied) { renames_.Arm(n, error); }
  // The `n`-th sync from now (RandomFile::Sync or SyncDirectory) fails.
  void FailNthSync(int n, int error = platform::kDeviceIoError) { syncs_.Arm(n, error); }
  // The `n`-th open from now (OpenRandom or OpenRandomReadOnly) fails, and
  // so do the `times` - 1 opens after it, opening (or creating) nothing.
  void FailNthOpen(int n, int error = platform::kPermissionDenied, int times = 1) {
    opens_.Arm(n, error, times);
  }
  void FailRenames(int error = platform::kPermissionDenied) { renameError_ = error; }
  void FailDeletes(int error = platform::kPermissionDenied) { deleteError_ = error; }
  void Heal();

  int WritesSeen() const { return writes_.seen; }
  int RenamesSeen() const { return renames_.seen; }
  int SyncsSeen() const { return syncs_.seen; }
  int OpensSeen() const { return opens_.seen; }

  platform::Status OpenRandom(std::string_view path,
                              std::unique_ptr<platform::RandomFile>& out) override;
  platform::Status OpenRandomReadOnly(std::string_view path,
                                      std::unique_ptr<platform::RandomFile>& out) override;
  platform::Status Delete(std::string_view path) override;
  platform::Status Rename(std::string_view from, std::string_view to) override;
  platform::Status SyncDirectory(std::string_view dir) override;

  // Called by the wrapped files.
  platform::Status BeforeWrite(std::string_view path) {
    if (!writesTo_.empty() && !path.ends_with(writesTo_)) return platform::Status::Ok();
    return writes_.Next();
  }
  platform::Status BeforeSync() { return syncs_.Next(); }

 private:
  // Counts calls of one kind and fails the armed one.
  struct Trigger {
    int until = 0;
    int error = 0;
    int times = 0;
    int seen = 0;
    void Arm(int n, int e, int count = 1) {
      until = n;
      error = e;
      times = count;
    }
    platform::Status Next() {
      ++seen;
      if (until == 0) return platform::Status::Ok();
      if (until > 1) {
        --until;
        return platform::Status::Ok();
      }
      if (--times <= 0) until = 0;
      return platform::Status::Error(error);
    }
  };

  Trigger writes_, renames_, syncs_, opens_;
  std::size_t shortBytes_ = 0;
  std::string writesTo_;
  int renameError_ = 0;
  int deleteError_ = 0;
};

}  // namespace testing_support
