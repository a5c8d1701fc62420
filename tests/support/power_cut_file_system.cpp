#include "tests/support/power_cut_file_system.h"

#include <filesystem>

namespace testing_support {
namespace {

class PowerCutFile : public WrappingRandomFile {
 public:
  PowerCutFile(std::unique_ptr<platform::RandomFile> inner, PowerCutFileSystem& owner, int id)
      : WrappingRandomFile(std::move(inner)), owner_(owner), id_(id) {}

  platform::Status ReadAt(std::uint64_t offset, std::span<char> out, std::size_t& got) override {
    if (owner_.PowerGone()) return platform::Status::Error(platform::kDeviceIoError);
    return WrappingRandomFile::ReadAt(offset, out, got);
  }
  platform::Status WriteAt(std::uint64_t offset, std::span<const char> bytes) override {
    if (!owner_.Step()) return platform::Status::Error(platform::kDeviceIoError);
    return WrappingRandomFile::WriteAt(offset, bytes);
  }
  platform::Status Length(std::uint64_t& length) override {
    if (owner_.PowerGone()) return platform::Status::Error(platform::kDeviceIoError);
    return WrappingRandomFile::Length(length);
  }
  platform::Status Truncate(std::uint64_t length) override {
    if (!owner_.Step()) return platform::Status::Error(platform::kDeviceIoError);
    return WrappingRandomFile::Truncate(length);
  }
  platform::Status Sync() override {
    if (!owner_.Step()) return platform::Status::Error(platform::kDeviceIoError);
    platform::Status s = WrappingRandomFile::Sync();
    if (s.ok()) owner_.Synced(id_);
    return s;
  }

 private:
  PowerCutFileSystem& owner_;
  int id_;
};

}  // namespace

std::string PowerCutFileSystem::Key(std::string_view path) {
  std::string key = HostPath(path).lexically_normal().string();
  names_.emplace(key, std::string(path));
  return key;
}

int PowerCutFileSystem::Known(std::string_view path) {
  const std::string key = Key(path);
  if (auto it = live_.find(key); it != live_.end()) return it->second;
  if (!Inner().Exists(path) || Inner().IsDirectory(path)) return 0;
  std::string bytes;
  (void)Inner().ReadFile(path, bytes);
  const int id = nextId_++;
  files_[id] = {std::string(path), bytes};
  live_[key] = id;
  disk_[key] = id;
  return id;
}

bool PowerCutFileSystem::Step() {
  if (gone_) return false;
  ++steps_;
  if (cutAt_ != 0 && steps_ >= cutAt_) {
    CutNow();
    return false;
  }
  return true;
}

void PowerCutFileSystem::Synced(int id) {
  FileLife& life = files_[id];
  std::string bytes;
  if (!life.path.empty() && Inner().ReadFile(life.path, bytes).ok()) life.disk = bytes;
}

void PowerCutFileSystem::CutNow() {
  if (gone_) return;
  gone_ = true;
  for (const auto& [key, id] : live_) (void)Inner().Delete(files_[id].path);
  for (const auto& [key, id] : disk_) {
    std::unique_ptr<platform::RandomFile> file;
    if (!Inner().OpenRandom(names_[key], file).ok()) continue;
    const std::string bytes = files_[id].disk.value_or(std::string());
    (void)file->WriteAt(0, std::span<const char>(bytes.data(), bytes.size()));
  }
}

platform::Status PowerCutFileSystem::OpenRandom(std::string_view path,
                                                std::unique_ptr<platform::RandomFile>& out) {
  if (gone_) return Gone();
  int id = Known(path);
  if (id == 0) {
    if (!Step()) return Gone();
    id = nextId_++;
    files_[id] = {std::string(path), std::nullopt};
    live_[Key(path)] = id;
  }
  std::unique_ptr<platform::RandomFile> inner;
  if (platform::Status s = Inner().OpenRandom(path, inner); !s.ok()) return s;
  out = std::make_unique<PowerCutFile>(std::move(inner), *this, id);
  return platform::Status::Ok();
}

platform::Status PowerCutFileSystem::OpenRandomReadOnly(
    std::string_view path, std::unique_ptr<platform::RandomFile>& out) {
  if (gone_) return Gone();
  const int id = Known(path);
  std::unique_ptr<platform::RandomFile> inner;
  if (platform::Status s = Inner().OpenRandomReadOnly(path, inner); !s.ok()) return s;
  out = std::make_unique<PowerCutFile>(std::move(inner), *this, id);
  return platform::Status::Ok();
}

platform::Status PowerCutFileSystem::Delete(std::string_view path) {
  if (gone_) return Gone();
  const int id = Known(path);
  if (!Step()) return Gone();
  platform::Status s = Inner().Delete(path);
  if (s.ok() && id != 0) {
    live_.erase(Key(path));
    files_[id].path.clear();
  }
  return s;
}

platform::Status PowerCutFileSystem::Copy(std::string_view from, std::string_view to) {
  if (gone_) return Gone();
  (void)Known(to);
  if (!Step()) return Gone();
  platform::Status s = Inner().Copy(from, to);
  if (s.ok()) {
    const int id = nextId_++;
    files_[id] = {std::string(to), std::nullopt};
    if (auto old = live_.find(Key(to)); old != live_.end()) files_[old->second].path.clear();
    live_[Key(to)] = id;
  }
  return s;
}

platform::Status PowerCutFileSystem::Rename(std::string_view from, std::string_view to) {
  if (gone_) return Gone();
  const int id = Known(from);
  (void)Known(to);
  if (!Step()) return Gone();
  platform::Status s = Inner().Rename(from, to);
  if (s.ok() && id != 0) {
    if (auto old = live_.find(Key(to)); old != live_.end()) files_[old->second].path.clear();
    live_.erase(Key(from));
    live_[Key(to)] = id;
    files_[id].path = std::string(to);
  }
  return s;
}

platform::Status PowerCutFileSystem::SyncDirectory(std::string_view dir) {
  if (gone_) return Gone();
  if (!Step()) return Gone();
  platform::Status s = Inner().SyncDirectory(dir);
  if (!s.ok()) return s;
  std::filesystem::path folder = HostPath(dir).lexically_normal();
  if (folder.filename().empty()) folder = folder.parent_path();
  auto inFolder = [&](const std::string& key) {
    return std::filesystem::path(key).parent_path() == folder;
  };
  std::erase_if(disk_, [&](const auto& entry) { return inFolder(entry.first); });
  for (const auto& [key, id] : live_) {
    if (inFolder(key)) disk_[key] = id;
  }
  return s;
}

platform::Status PowerCutFileSystem::ReadFile(std::string_view path, std::string& bytes) {
  if (gone_) return Gone();
  return Inner().ReadFile(path, bytes);
}

}  // namespace testing_support
