#include "tests/support/faulty_file_system.h"

namespace testing_support {
namespace {

class FaultyFile : public platform::RandomFile {
 public:
  FaultyFile(std::unique_ptr<platform::RandomFile> inner, FaultyFileSystem& owner)
      : inner_(std::move(inner)), owner_(owner) {}

  platform::Status ReadAt(std::uint64_t offset, std::span<char> out, std::size_t& got) override {
    return inner_->ReadAt(offset, out, got);
  }
  platform::Status WriteAt(std::uint64_t offset, std::span<const char> bytes) override {
    if (platform::Status s = owner_.BeforeWrite(); !s.ok()) return s;
    return inner_->WriteAt(offset, bytes);
  }
  platform::Status Length(std::uint64_t& length) override { return inner_->Length(length); }
  platform::Status Sync() override { return inner_->Sync(); }

 private:
  std::unique_ptr<platform::RandomFile> inner_;
  FaultyFileSystem& owner_;
};

}  // namespace

platform::Status FaultyFileSystem::OpenRandom(std::string_view path,
                                              std::unique_ptr<platform::RandomFile>& out) {
  std::unique_ptr<platform::RandomFile> inner;
  if (platform::Status s = PosixFileSystem::OpenRandom(path, inner); !s.ok()) return s;
  out = std::make_unique<FaultyFile>(std::move(inner), *this);
  return platform::Status::Ok();
}

platform::Status FaultyFileSystem::BeforeWrite() {
  ++writesSeen_;
  if (writesUntilFailure_ > 0 && --writesUntilFailure_ == 0) {
    return platform::Status::Error(writeError_);
  }
  return platform::Status::Ok();
}

platform::Status FaultyFileSystem::Rename(std::string_view from, std::string_view to) {
  if (renameError_ != 0) return platform::Status::Error(renameError_);
  return PosixFileSystem::Rename(from, to);
}

platform::Status FaultyFileSystem::Delete(std::string_view path) {
  if (deleteError_ != 0) return platform::Status::Error(deleteError_);
  return PosixFileSystem::Delete(path);
}

}  // namespace testing_support
