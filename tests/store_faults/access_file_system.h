#pragma once

#include <set>
#include <string>

#include "platform/file_system.h"

namespace store_faults {

// A real file system on which chosen files behave as a user without rights
// would find them, and which can stand for a read-only drive. (The tests run
// as root, whom file permissions do not stop.)
class AccessFileSystem : public platform::PosixFileSystem {
 public:
  using PosixFileSystem::PosixFileSystem;

  // The file can be read but not written.
  void DenyWrite(std::string_view path) { denyWrite_.insert(Key(path)); }
  // The file can be neither read nor written.
  void DenyAll(std::string_view path) { denyAll_.insert(Key(path)); }
  // Everything is read-only, as on a drive mounted read-only.
  bool readOnlyDrive = false;

  platform::Status OpenRandom(std::string_view path,
                              std::unique_ptr<platform::RandomFile>& out) override;
  platform::Status OpenRandomReadOnly(std::string_view path,
                                      std::unique_ptr<platform::RandomFile>& out) override;
  platform::PathState Probe(std::string_view path) override;
  platform::Status CreateDirectory(std::string_view path) override;
  platform::Status Delete(std::string_view path) override;
  platform::Status Rename(std::string_view from, std::string_view to) override;

 private:
  std::string Key(std::string_view path) const {
    return HostPath(path).lexically_normal().string();
  }
  std::set<std::string> denyWrite_;
  std::set<std::string> denyAll_;
};

}  // namespace store_faults
