#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "tests/support/wrapping_file_system.h"

namespace testing_support {

// A file system that loses the power. It wraps another and remembers what
// would be on the disk after a power cut: a file's bytes as of its last
// Sync, and a directory's names (created, renamed, deleted, copied) as of
// its last SyncDirectory. Every change (a write, a sync, a rename, a
// delete, a copy, a file created by an open) is one step; when the armed
// step is reached the power goes: the wrapped file system is put back to
// what the disk would hold, and every later call fails with a device error,
// as a dead machine does. Files that exist when they are first touched count
// as on the disk. Folders are always on the disk.
class PowerCutFileSystem : public WrappingFileSystem {
 public:
  explicit PowerCutFileSystem(platform::FileSystem& inner) : WrappingFileSystem(inner) {}

  // The power goes just before step `n` (1 = the next change) would happen;
  // 0 never.
  void CutBeforeStep(int n) { cutAt_ = n; }
  // The power goes now.
  void CutNow();
  bool PowerGone() const { return gone_; }
  int StepsSeen() const { return steps_; }

  platform::Status OpenRandom(std::string_view path,
                              std::unique_ptr<platform::RandomFile>& out) override;
  platform::Status OpenRandomReadOnly(std::string_view path,
                                      std::unique_ptr<platform::RandomFile>& out) override;
  platform::Status Delete(std::string_view path) override;
  platform::Status Copy(std::string_view from, std::string_view to) override;
  platform::Status Rename(std::string_view from, std::string_view to) override;
  platform::Status SyncDirectory(std::string_view dir) override;
  bool Exists(std::string_view path) override { return !gone_ && Inner().Exists(path); }
  platform::Status ReadFile(std::string_view path, std::string& bytes) override;

  // Called by the wrapped files: a step is about to happen (false: the
  // power is gone); a file of identity `id` was synced.
  bool Step();
  void Synced(int id);

 private:
  // One file's life: its name now, and its bytes on the disk.
  struct FileLife {
    std::string path;                 // the name it has now ("" once deleted)
    std::optional<std::string> disk;  // bytes on the disk; none: empty when its name is
  };
  std::string Key(std::string_view path);
  // The identity of the file at `path`, registering one found on the disk.
  int Known(std::string_view path);
  platform::Status Gone() const { return platform::Status::Error(platform::kDeviceIoError); }

  std::map<int, FileLife> files_;
  std::map<std::string, int> live_;           // key -> identity, as the names are now
  std::map<std::string, int> disk_;           // key -> identity, as the names are on the disk
  std::map<std::string, std::string> names_;  // key -> a path as the program wrote it
  int nextId_ = 1;
  int steps_ = 0;
  int cutAt_ = 0;
  bool gone_ = false;
};

}  // namespace testing_support
