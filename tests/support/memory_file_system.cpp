#include "tests/support/memory_file_system.h"

#include <algorithm>
#include <cstring>

namespace testing_support {
namespace {

using platform::Status;

constexpr const char* kMemoryRoot = "/velunor-memory/C";

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::vector<std::string> Split(std::string_view rest) {
  std::vector<std::string> parts;
  while (!rest.empty()) {
    const std::size_t cut = rest.find_first_of("\\/");
    const std::string_view part = rest.substr(0, cut);
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.emplace_back(part);
  }
  return parts;
}

class MemoryFile : public platform::RandomFile {
 public:
  MemoryFile(std::shared_ptr<MemoryFileSystem::Content> content, const std::time_t& clock,
             bool readOnly = false)
      : content_(std::move(content)), clock_(clock), readOnly_(readOnly) {}

  Status ReadAt(std::uint64_t offset, std::span<char> out, std::size_t& got) override {
    got = 0;
    const std::string& bytes = content_->bytes;
    if (offset >= bytes.size()) return Status::Ok();
    got = std::min<std::size_t>(out.size(), bytes.size() - offset);
    std::memcpy(out.data(), bytes.data() + offset, got);
    return Status::Ok();
  }
  Status WriteAt(std::uint64_t offset, std::span<const char> data) override {
    if (readOnly_) return Status::Error(platform::kBadFileNameOrNumber);
    std::string& bytes = content_->bytes;
    if (bytes.size() < offset + data.size()) bytes.resize(offset + data.size(), '\0');
    std::memcpy(bytes.data() + offset, data.data(), data.size());
    content_->modified = clock_;
    return Status::Ok();
  }
  Status Length(std::uint64_t& length) override {
    length = content_->bytes.size();
    return Status::Ok();
  }
  Status Sync() override { return Status::Ok(); }
  Status Truncate(std::uint64_t length) override {
    if (readOnly_) return Status::Error(platform::kBadFileNameOrNumber);
    content_->bytes.resize(std::min<std::size_t>(content_->bytes.size(), length));
    content_->modified = clock_;
    return Status::Ok();
  }

 private:
  std::shared_ptr<MemoryFileSystem::Content> content_;
  const std::time_t& clock_;
  bool readOnly_;
};

}  // namespace

MemoryFileSystem::MemoryFileSystem() : drive_(kMemoryRoot) {
  dirs_["C:"] = {"C:\\", "C:", ""};
  dirs_["H:"] = {"/", "/", ""};
}

MemoryFileSystem::Name MemoryFileSystem::Resolve(std::string_view path) const {
  bool drive = platform::DataDrive::IsDrivePath(path);
  std::string_view rest = drive ? path.substr(2) : path;
  const std::string_view root = kMemoryRoot;
  if (!drive && path.starts_with(root) &&
      (path.size() == root.size() || path[root.size()] == '/')) {
    drive = true;
    rest = path.substr(root.size());
  }
  return Make(drive, Split(rest));
}

MemoryFileSystem::Name MemoryFileSystem::Make(bool drive, std::vector<std::string> parts) {
  Name name;
  name.drive = drive;
  name.key = drive ? "C:" : "H:";
  std::string display = drive ? "C:" : "";
  for (const std::string& part : parts) {
    name.parent = name.key;
    name.key += "/" + (drive ? Lower(part) : part);
    display += (drive ? "\\" : "/") + part;
  }
  name.display = parts.empty() ? (drive ? "C:\\" : "/") : display;
  name.leaf = parts.empty() ? name.display : parts.back();
  name.parts = std::move(parts);
  return name;
}

MemoryFileSystem::File* MemoryFileSystem::FindFile(const std::string& key) {
  auto it = files_.find(key);
  return it == files_.end() ? nullptr : &it->second;
}

const MemoryFileSystem::File* MemoryFileSystem::FindFile(const std::string& key) const {
  auto it = files_.find(key);
  return it == files_.end() ? nullptr : &it->second;
}

void MemoryFileSystem::MakeDirectories(const Name& name) {
  if (HasDirectory(name.key)) return;
  if (!name.parts.empty()) MakeDirectories(Parent(name));
  dirs_[name.key] = {name.display, name.leaf, name.parent};
}

MemoryFileSystem::Name MemoryFileSystem::Parent(const Name& name) {
  std::vector<std::string> parts = name.parts;
  if (!parts.empty()) parts.pop_back();
  return Make(name.drive, std::move(parts));
}

void MemoryFileSystem::WriteBytes(std::string_view path, std::string_view bytes) {
  const Name name = Resolve(path);
  MakeDirectories(Parent(name));
  File* file = FindFile(name.key);
  if (file == nullptr) {
    file = &files_[name.key];
    *file = {name.display, name.leaf, name.parent, std::make_shared<Content>(), false};
  }
  file->content->bytes.assign(bytes);
  file->content->modified = now_;
}

std::string MemoryFileSystem::ReadBytes(std::string_view path) const {
  const File* file = FindFile(Resolve(path).key);
  return file == nullptr ? std::string() : file->content->bytes;
}

std::vector<std::string> MemoryFileSystem::AllFiles() const {
  std::vector<std::string> names;
  for (const auto& [key, file] : files_) names.push_back(file.display);
  return names;
}

void MemoryFileSystem::SetReadOnly(std::string_view path, bool readOnly) {
  if (File* file = FindFile(Resolve(path).key)) file->readOnly = readOnly;
}

Status MemoryFileSystem::OpenRandom(std::string_view path,
                                    std::unique_ptr<platform::RandomFile>& out) {
  const Name name = Resolve(path);
  if (HasDirectory(name.key)) return Status::Error(platform::kPathFileAccessError);
  File* file = FindFile(name.key);
  if (file == nullptr) {
    if (!HasDirectory(name.parent)) return Status::Error(platform::kFileNotFound);
    file = &files_[name.key];
    *file = {name.display, name.leaf, name.parent, std::make_shared<Content>(), false};
    file->content->modified = now_;
  } else if (file->readOnly) {
    return Status::Error(platform::kPermissionDenied);
  }
  out = std::make_unique<MemoryFile>(file->content, now_);
  return Status::Ok();
}

Status MemoryFileSystem::OpenRandomReadOnly(std::string_view path,
                                            std::unique_ptr<platform::RandomFile>& out) {
  const Name name = Resolve(path);
  if (HasDirectory(name.key)) return Status::Error(platform::kPathFileAccessError);
  const File* file = FindFile(name.key);
  if (file == nullptr) return Status::Error(platform::kFileNotFound);
  out = std::make_unique<MemoryFile>(file->content, now_, true);
  return Status::Ok();
}

std::string MemoryFileSystem::Dir(std::string_view path) {
  const File* file = FindFile(Resolve(path).key);
  return file == nullptr ? std::string() : file->leaf;
}

bool MemoryFileSystem::Exists(std::string_view path) {
  const Name name = Resolve(path);
  return FindFile(name.key) != nullptr || HasDirectory(name.key);
}

bool MemoryFileSystem::IsDirectory(std::string_view path) {
  return HasDirectory(Resolve(path).key);
}

Status MemoryFileSystem::Facts(std::string_view path, platform::FileFacts& out) {
  const Name name = Resolve(path);
  if (const File* file = FindFile(name.key)) {
    out.length = file->content->bytes.size();
    out.modified = file->content->modified;
    out.attributes = platform::WindowsAttributes(false, !file->readOnly, file->leaf);
    return Status::Ok();
  }
  if (auto it = dirs_.find(name.key); it != dirs_.end()) {
    out = {0, now_, platform::WindowsAttributes(true, true, it->second.leaf)};
    return Status::Ok();
  }
  return Status::Error(platform::kFileNotFound);
}

Status MemoryFileSystem::CreateDirectory(std::string_view path) {
  const Name name = Resolve(path);
  if (HasDirectory(name.key)) return Status::Error(platform::kPathFileAccessError);
  if (FindFile(name.key) != nullptr) return Status::Error(platform::kFileAlreadyExists);
  MakeDirectories(name);
  return Status::Ok();
}

Status MemoryFileSystem::Delete(std::string_view path) {
  const Name name = Resolve(path);
  if (HasDirectory(name.key)) return Status::Error(platform::kPathFileAccessError);
  if (files_.erase(name.key) == 0) return Status::Error(platform::kFileNotFound);
  return Status::Ok();
}

Status MemoryFileSystem::Copy(std::string_view from, std::string_view to) {
  const Name source = Resolve(from);
  const Name target = Resolve(to);
  const File* original = FindFile(source.key);
  if (original == nullptr) {
    return Status::Error(HasDirectory(source.key) ? platform::kPathFileAccessError
                                                  : platform::kFileNotFound);
  }
  if (HasDirectory(target.key)) return Status::Error(platform::kPathFileAccessError);
  if (!HasDirectory(target.parent)) return Status::Error(platform::kFileNotFound);
  File* copy = FindFile(target.key);
  if (copy != nullptr && copy->readOnly) return Status::Error(platform::kPermissionDenied);
  const std::string bytes = original->content->bytes;
  if (copy == nullptr) {
    copy = &files_[target.key];
    *copy = {target.display, target.leaf, target.parent, std::make_shared<Content>(), false};
  }
  copy->content->bytes = bytes;
  copy->content->modified = now_;
  return Status::Ok();
}

Status MemoryFileSystem::Rename(std::string_view from, std::string_view to) {
  const Name source = Resolve(from);
  const Name target = Resolve(to);
  File* moving = FindFile(source.key);
  if (moving == nullptr) {
    return Status::Error(HasDirectory(source.key) ? platform::kPathFileAccessError
                                                  : platform::kFileNotFound);
  }
  if (HasDirectory(target.key)) return Status::Error(platform::kPathFileAccessError);
  if (!HasDirectory(target.parent)) return Status::Error(platform::kFileNotFound);
  if (source.key == target.key) return Status::Ok();
  File moved = *moving;
  // An existing target keeps the name it is stored under.
  if (const File* existing = FindFile(target.key)) {
    moved.display = existing->display;
    moved.leaf = existing->leaf;
  } else {
    moved.display = target.display;
    moved.leaf = target.leaf;
  }
  moved.parent = target.parent;
  files_.erase(source.key);
  files_[target.key] = std::move(moved);
  return Status::Ok();
}

Status MemoryFileSystem::SyncDirectory(std::string_view dir) {
  return HasDirectory(Resolve(dir).key) ? Status::Ok() : Status::Error(platform::kFileNotFound);
}

Status MemoryFileSystem::ListFiles(std::string_view dir, std::vector<std::string>& names) {
  names.clear();
  const Name name = Resolve(dir);
  if (!HasDirectory(name.key)) return Status::Error(platform::kFileNotFound);
  for (const auto& [key, file] : files_) {
    if (file.parent == name.key) names.push_back(file.leaf);
  }
  return Status::Ok();
}

Status MemoryFileSystem::ListDirectories(std::string_view dir, std::vector<std::string>& names) {
  names.clear();
  const Name name = Resolve(dir);
  if (!HasDirectory(name.key)) return Status::Error(platform::kFileNotFound);
  for (const auto& [key, sub] : dirs_) {
    if (sub.parent == name.key && key != name.key) names.push_back(sub.leaf);
  }
  return Status::Ok();
}

Status MemoryFileSystem::ReadFile(std::string_view path, std::string& bytes) {
  bytes.clear();
  const Name name = Resolve(path);
  if (HasDirectory(name.key)) return Status::Error(platform::kPathFileAccessError);
  const File* file = FindFile(name.key);
  if (file == nullptr) return Status::Error(platform::kFileNotFound);
  bytes = file->content->bytes;
  return Status::Ok();
}

}  // namespace testing_support
