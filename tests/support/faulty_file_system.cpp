#include "tests/support/faulty_file_system.h"

#include <algorithm>

namespace testing_support {
namespace {

class FaultyFile : public WrappingRandomFile {
 public:
  FaultyFile(std::unique_ptr<platform::RandomFile> inner, FaultyFileSystem& owner,
             std::string_view path)
      : WrappingRandomFile(std::move(inner)), owner_(owner), path_(path) {}

  platform::Status WriteAt(std::uint64_t offset, std::span<const char> bytes) override {
    if (platform::Status s = owner_.BeforeWrite(path_); !s.ok()) {
      if (const std::size_t part = std::min(owner_.TakeShortBytes(), bytes.size()); part > 0) {
        (void)WrappingRandomFile::WriteAt(offset, bytes.first(part));
      }
      return s;
    }
    return WrappingRandomFile::WriteAt(offset, bytes);
  }
  platform::Status Sync() override {
    if (platform::Status s = owner_.BeforeSync(); !s.ok()) return s;
    return WrappingRandomFile::Sync();
  }

 private:
  FaultyFileSystem& owner_;
  std::string path_;
};

}  // namespace

FaultyFileSystem::FaultyFileSystem(platform::DataDrive drive)
    : WrappingFileSystem(std::make_unique<platform::PosixFileSystem>(std::move(drive))) {}

void FaultyFileSystem::Heal() {
  writes_.Arm(0, 0);
  renames_.Arm(0, 0);
  syncs_.Arm(0, 0);
  opens_.Arm(0, 0);
  renameError_ = 0;
  deleteError_ = 0;
  writesTo_.clear();
}

platform::Status FaultyFileSystem::OpenRandom(std::string_view path,
                                              std::unique_ptr<platform::RandomFile>& out) {
  if (platform::Status s = opens_.Next(); !s.ok()) return s;
  std::unique_ptr<platform::RandomFile> inner;
  if (platform::Status s = Inner().OpenRandom(path, inner); !s.ok()) return s;
  out = std::make_unique<FaultyFile>(std::move(inner), *this, path);
  return platform::Status::Ok();
}

platform::Status FaultyFileSystem::OpenRandomReadOnly(std::string_view path,
                                                      std::unique_ptr<platform::RandomFile>& out) {
  if (platform::Status s = opens_.Next(); !s.ok()) return s;
  std::unique_ptr<platform::RandomFile> inner;
  if (platform::Status s = Inner().OpenRandomReadOnly(path, inner); !s.ok()) return s;
  out = std::make_unique<FaultyFile>(std::move(inner), *this, path);
  return platform::Status::Ok();
}

platform::Status FaultyFileSystem::Rename(std::string_view from, std::string_view to) {
  if (platform::Status s = renames_.Next(); !s.ok()) return s;
  if (renameError_ != 0) return platform::Status::Error(renameError_);
  return Inner().Rename(from, to);
}

platform::Status FaultyFileSystem::Delete(std::string_view path) {
  if (deleteError_ != 0) return platform::Status::Error(deleteError_);
  return Inner().Delete(path);
}

platform::Status FaultyFileSystem::SyncDirectory(std::string_view dir) {
  if (platform::Status s = syncs_.Next(); !s.ok()) return s;
  return Inner().SyncDirectory(dir);
}

}  // namespace testing_support
