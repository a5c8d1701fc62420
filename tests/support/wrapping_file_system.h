#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace testing_support {

// The base of the test file systems that wrap another: every call goes to
// the wrapped one; a subclass overrides what it changes.
class WrappingFileSystem : public platform::FileSystem {
 public:
  explicit WrappingFileSystem(platform::FileSystem& inner) : inner_(inner) {}
  // Wraps a file system of its own.
  explicit WrappingFileSystem(std::unique_ptr<platform::FileSystem> owned)
      : owned_(std::move(owned)), inner_(*owned_) {}

  platform::FileSystem& Inner() { return inner_; }

  const platform::DataDrive& Drive() const override { return inner_.Drive(); }
  platform::Status OpenRandom(std::string_view path,
                              std::unique_ptr<platform::RandomFile>& out) override {
    return inner_.OpenRandom(path, out);
  }
  platform::Status OpenRandomReadOnly(std::string_view path,
                                      std::unique_ptr<platform::RandomFile>& out) override {
    return inner_.OpenRandomReadOnly(path, out);
  }
  platform::PathState Probe(std::string_view path) override { return inner_.Probe(path); }
  std::string Dir(std::string_view path) override { return inner_.Dir(path); }
  bool Exists(std::string_view path) override { return inner_.Exists(path); }
  bool IsDirectory(std::string_view path) override { return inner_.IsDirectory(path); }
  platform::Status Facts(std::string_view path, platform::FileFacts& out) override {
    return inner_.Facts(path, out);
  }
  platform::Status CreateDirectory(std::string_view path) override {
    return inner_.CreateDirectory(path);
  }
  platform::Status Delete(std::string_view path) override { return inner_.Delete(path); }
  platform::Status Copy(std::string_view from, std::string_view to) override {
    return inner_.Copy(from, to);
  }
  platform::Status Rename(std::string_view from, std::string_view to) override {
    return inner_.Rename(from, to);
  }
  platform::Status SyncDirectory(std::string_view dir) override {
    return inner_.SyncDirectory(dir);
  }
  platform::Status ListFiles(std::string_view dir, std::vector<std::string>& names) override {
    return inner_.ListFiles(dir, names);
  }
  platform::Status ListDirectories(std::string_view dir, std::vector<std::string>& names) override {
    return inner_.ListDirectories(dir, names);
  }
  platform::Status ReadFile(std::string_view path, std::string& bytes) override {
    return inner_.ReadFile(path, bytes);
  }

 private:
  std::unique_ptr<platform::FileSystem> owned_;
  platform::FileSystem& inner_;
};

// A random file that wraps another: every call goes to the wrapped one.
class WrappingRandomFile : public platform::RandomFile {
 public:
  explicit WrappingRandomFile(std::unique_ptr<platform::RandomFile> inner)
      : inner_(std::move(inner)) {}

  platform::Status ReadAt(std::uint64_t offset, std::span<char> out, std::size_t& got) override {
    return inner_->ReadAt(offset, out, got);
  }
  platform::Status WriteAt(std::uint64_t offset, std::span<const char> bytes) override {
    return inner_->WriteAt(offset, bytes);
  }
  platform::Status Length(std::uint64_t& length) override { return inner_->Length(length); }
  platform::Status Sync() override { return inner_->Sync(); }
  platform::Status Truncate(std::uint64_t length) override { return inner_->Truncate(length); }
  std::unique_ptr<platform::MappedBytes> Map(std::uint64_t length) override {
    return inner_->Map(length);
  }

 private:
  std::unique_ptr<platform::RandomFile> inner_;
};

}  // namespace testing_support
