#include "tests/store_faults/access_file_system.h"

namespace store_faults {

using platform::Status;

Status AccessFileSystem::OpenRandom(std::string_view path,
                                    std::unique_ptr<platform::RandomFile>& out) {
  const std::string key = Key(path);
  if (readOnlyDrive || denyWrite_.contains(key) || denyAll_.contains(key)) {
    return Status::Error(platform::kPermissionDenied);
  }
  return PosixFileSystem::OpenRandom(path, out);
}

Status AccessFileSystem::OpenRandomReadOnly(std::string_view path,
                                            std::unique_ptr<platform::RandomFile>& out) {
  if (denyAll_.contains(Key(path))) return Status::Error(platform::kPermissionDenied);
  return PosixFileSystem::OpenRandomReadOnly(path, out);
}

platform::PathState AccessFileSystem::Probe(std::string_view path) {
  platform::PathState state = PosixFileSystem::Probe(path);
  state.readOnlyDrive = state.readOnlyDrive || readOnlyDrive;
  return state;
}

Status AccessFileSystem::CreateDirectory(std::string_view path) {
  if (readOnlyDrive) return Status::Error(platform::kPermissionDenied);
  return PosixFileSystem::CreateDirectory(path);
}

Status AccessFileSystem::Delete(std::string_view path) {
  if (readOnlyDrive) return Status::Error(platform::kPermissionDenied);
  return PosixFileSystem::Delete(path);
}

Status AccessFileSystem::Rename(std::string_view from, std::string_view to) {
  if (readOnlyDrive) return Status::Error(platform::kPermissionDenied);
  return PosixFileSystem::Rename(from, to);
}

}  // namespace store_faults
