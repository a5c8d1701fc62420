#pragma once

#include <string>

#include "platform/file_system.h"

namespace testing_support {

// A real file system that can be told to fail: on the n-th write from now,
// on every rename, or on every delete, with a chosen run-time error.
class FaultyFileSystem : public platform::PosixFileSystem {
 public:
  using PosixFileSystem::PosixFileSystem;

  // The `n`-th WriteAt from now (1 = the next) fails with `error`.
  void FailNthWrite(int n, int error = platform::kDiskFull) {
    writesUntilFailure_ = n;
    writeError_ = error;
  }
  void FailRenames(int error = platform::kPermissionDenied) { renameError_ = error; }
  void FailDeletes(int error = platform::kPermissionDenied) { deleteError_ = error; }
  void Heal() {
    writesUntilFailure_ = 0;
    renameError_ = 0;
    deleteError_ = 0;
  }
  int WritesSeen() const { return writesSeen_; }

  platform::Status OpenRandom(std::string_view path,
                              std::unique_ptr<platform::RandomFile>& out) override;
  platform::Status Rename(std::string_view from, std::string_view to) override;
  platform::Status Delete(std::string_view path) override;

  // Called by the wrapped files on every write.
  platform::Status BeforeWrite();

 private:
  int writesUntilFailure_ = 0;
  int writeError_ = 0;
  int renameError_ = 0;
  int deleteError_ = 0;
  int writesSeen_ = 0;
};

}  // namespace testing_support
