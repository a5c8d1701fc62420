#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <thread>

namespace platform {

int ErrorFromErrno(int e) {
  switch (e) {
    case 0:
      return kNoError;
    case ENOENT:
      return kFileNotFound;
    case ENOTDIR:
      return kPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
      return kPermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return kDiskFull;
    case EIO:
      return kDeviceIoError;
    case EEXIST:
      return kFileAlreadyExists;
    case EBADF:
      return kBadFileNameOrNumber;
    default:
      return kPathFileAccessError;
  }
}

int WindowsAttributes(bool isDirectory, bool ownerWritable, std::string_view name) {
  int value = isDirectory ? kAttrDirectory : kAttrArchive;
  if (!ownerWritable) value += kAttrReadOnly;
  if (name.starts_with('.')) value += kAttrHidden;
  return value;
}

namespace {

// A file removed or renamed over is freed when its last descriptor closes; freeing the
// pages and blocks of a large one takes the kernel milliseconds (about 2.5
// for 13 MB here, 30 for 580 MB). A large file is held open across the
// unlink or rename, and that last close left to a thread of its own.
constexpr off_t kFreedLater = 1 << 20;

int HoldLargeFile(const std::filesystem::path& path) {
  struct stat facts {};
  if (::stat(path.c_str(), &facts) != 0 || !S_ISREG(facts.st_mode) || facts.st_size < kFreedLater) {
    return -1;
  }
  return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

void CloseInBackground(int fd) {
  try {
    std::thread([fd] { ::close(fd); }).detach();
  } catch (const std::system_error&) {
    ::close(fd);
  }
}

class PosixMappedBytes final : public MappedBytes {
 public:
  PosixMappedBytes(void* at, std::size_t length) : at_(at), length_(length) {}
  ~PosixMappedBytes() override { ::munmap(at_, length_); }
  std::span<const char> Bytes() const override { return {static_cast<const char*>(at_), length_}; }

 private:
  void* at_;
  std::size_t length_;
};

class PosixRandomFile : public RandomFile {
 public:
  explicit PosixRandomFile(int fd) : fd_(fd) {}
  ~PosixRandomFile() override { ::close(fd_); }

  Status ReadAt(std::uint64_t offset, std::span<char> out, std::size_t& got) override {
    got = 0;
    while (got < out.size()) {
      ssize_t n =
          ::pread(fd_, out.data() + got, out.size() - got, static_cast<off_t>(offset + got));
      if (n < 0) {
        if (errno == EINTR) continue;
        return Status::Error(ErrorFromErrno(errno));
      }
      if (n == 0) break;
      got += static_cast<std::size_t>(n);
    }
    return Status::Ok();
  }

  Status WriteAt(std::uint64_t offset, std::span<const char> bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done,
                           static_cast<off_t>(offset + done));
      if (n < 0) {
        if (errno == EINTR) continue;
        return Status::Error(ErrorFromErrno(errno));
      }
      done += static_cast<std::size_t>(n);
    }
    return Status::Ok();
  }

  Status Length(std::uint64_t& length) override {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return Status::Error(ErrorFromErrno(errno));
    length = static_cast<std::uint64_t>(st.st_size);
    return Status::Ok();
  }

  Status Sync() override {
    if (::fsync(fd_) != 0) return Status::Error(ErrorFromErrno(errno));
    return Status::Ok();
  }

  void StartWriting(std::uint64_t offset, std::uint64_t length) override {
    (void)::sync_file_range(fd_, static_cast<off_t>(offset), static_cast<off_t>(length),
                            SYNC_FILE_RANGE_WRITE);
  }

  Status Truncate(std::uint64_t length) override {
    if (::ftruncate(fd_, static_cast<off_t>(length)) != 0) {
      return Status::Error(ErrorFromErrno(errno));
    }
    return Status::Ok();
  }

  bool CopyFrom(RandomFile& from, std::uint64_t offset, std::uint64_t length,
                Status& status) override {
    auto* source = dynamic_cast<PosixRandomFile*>(&from);
    if (source == nullptr) return false;
    auto in = static_cast<off_t>(offset);
    auto out = static_cast<off_t>(offset);
    for (std::uint64_t done = 0; done < length;) {
      const ssize_t n = ::copy_file_range(source->fd_, &in, fd_, &out,
                                          static_cast<std::size_t>(length - done), 0);
      if (n < 0) {
        if (errno == EINTR) continue;
        const bool unsupported = errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
                                 errno == EOPNOTSUPP || errno == EBADF;
        if (done == 0 && unsupported) return false;
        status = Status::Error(ErrorFromErrno(errno));
        return true;
      }
      if (n == 0) {
        status = Status::Error(kDeviceIoError);
        return true;
      }
      done += static_cast<std::uint64_t>(n);
    }
    status = Status::Ok();
    return true;
  }

  // The page cache's own pages, mapped at once: nothing is copied and no
  // fresh memory is cleared for them.
  std::unique_ptr<MappedBytes> Map(std::uint64_t length) override {
    std::uint64_t actual = 0;
    if (length == 0 || !Length(actual).ok() || actual < length) return nullptr;
    const auto bytes = static_cast<std::size_t>(length);
    void* at = ::mmap(nullptr, bytes, PROT_READ, MAP_SHARED | MAP_POPULATE, fd_, 0);
    if (at == MAP_FAILED) return nullptr;
    return std::make_unique<PosixMappedBytes>(at, bytes);
  }

 private:
  int fd_;
};

Status FromErrorCode(const std::error_code& ec) {
  return ec ? Status::Error(ErrorFromErrno(ec.value())) : Status::Ok();
}

}  // namespace

CreationModes ModesIn(const std::filesystem::path& folder) {
  struct stat st {};
  const std::filesystem::path at = folder.empty() ? std::filesystem::path(".") : folder;
  if (::stat(at.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_IWGRP) != 0) {
    return {02770, 0660};
  }
  return {};
}

void SetCreatedMode(const std::filesystem::path& file) {
  (void)::chmod(file.c_str(), ModesIn(file.parent_path()).file);
}

std::error_code CreateFolders(const std::filesystem::path& folder) {
  std::error_code ec;
  const std::filesystem::path target = folder.lexically_normal();
  if (std::filesystem::is_directory(target, ec)) return {};
  const std::filesystem::path parent =
      target.has_filename() ? target.parent_path() : target.parent_path().parent_path();
  if (!parent.empty() && parent != target) {
    if (std::error_code e = CreateFolders(parent)) return e;
  }
  const unsigned mode = ModesIn(parent).folder;
  if (::mkdir(target.c_str(), mode) != 0) {
    if (errno == EEXIST && std::filesystem::is_directory(target, ec)) return {};
    return {errno, std::generic_category()};
  }
  (void)::chmod(target.c_str(), mode);  // past the umask, the set-group bit included
  return {};
}

Status PosixFileSystem::OpenRandom(std::string_view path, std::unique_ptr<RandomFile>& out) {
  const std::filesystem::path hostPath = HostPath(path);
  std::string host = hostPath.string();
  const unsigned mode = ModesIn(hostPath.parent_path()).file;
  int fd = ::open(host.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd >= 0) {
    (void)::fchmod(fd, mode);
  } else if (errno == EEXIST) {
    fd = ::open(host.c_str(), O_RDWR | O_CLOEXEC);
  }
  if (fd < 0) return Status::Error(ErrorFromErrno(errno));
  out = std::make_unique<PosixRandomFile>(fd);
  return Status::Ok();
}

Status PosixFileSystem::OpenRandomReadOnly(std::string_view path,
                                           std::unique_ptr<RandomFile>& out) {
  std::string host = HostPath(path).string();
  int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Status::Error(ErrorFromErrno(errno));
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return Status::Error(kPathFileAccessError);
  }
  out = std::make_unique<PosixRandomFile>(fd);
  return Status::Ok();
}

PathState PosixFileSystem::Probe(std::string_view path) {
  std::filesystem::path host = HostPath(path);
  PathState state;
  struct stat st {};
  if (::stat(host.c_str(), &st) == 0) {
    state.kind = S_ISREG(st.st_mode)   ? PathState::kFile
                 : S_ISDIR(st.st_mode) ? PathState::kDirectory
                                       : PathState::kOther;
  }
  // The nearest folder that exists tells which file system the path is on.
  std::filesystem::path existing = state.kind == PathState::kMissing ? host.parent_path() : host;
  while (!existing.empty() && ::stat(existing.c_str(), &st) != 0) {
    if (existing == existing.parent_path()) break;
    existing = existing.parent_path();
  }
  struct statvfs vfs {};
  if (!existing.empty() && ::statvfs(existing.c_str(), &vfs) == 0) {
    state.readOnlyDrive = (vfs.f_flag & ST_RDONLY) != 0;
  }
  return state;
}

std::string PosixFileSystem::Dir(std::string_view path) {
  std::filesystem::path host = HostPath(path);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(host, ec)) return {};
  return host.filename().string();
}

bool PosixFileSystem::Exists(std::string_view path) {
  std::error_code ec;
  return std::filesystem::exists(HostPath(path), ec);
}

bool PosixFileSystem::IsDirectory(std::string_view path) {
  std::error_code ec;
  return std::filesystem::is_directory(HostPath(path), ec);
}

Status PosixFileSystem::Facts(std::string_view path, FileFacts& out) {
  std::filesystem::path host = HostPath(path);
  struct stat st {};
  if (::stat(host.c_str(), &st) != 0) return Status::Error(ErrorFromErrno(errno));
  out.length = static_cast<std::uint64_t>(st.st_size);
  out.modified = st.st_mtime;
  out.attributes =
      WindowsAttributes(S_ISDIR(st.st_mode), (st.st_mode & S_IWUSR) != 0, host.filename().string());
  return Status::Ok();
}

Status PosixFileSystem::CreateDirectory(std::string_view path) {
  std::error_code ec;
  std::filesystem::path host = HostPath(path);
  if (std::filesystem::is_directory(host, ec)) return Status::Error(kPathFileAccessError);
  return FromErrorCode(CreateFolders(host));
}

Status PosixFileSystem::Delete(std::string_view path) {
  std::filesystem::path host = HostPath(path);
  const int held = HoldLargeFile(host);
  if (::unlink(host.c_str()) != 0) {
    const int failed = errno;
    if (held >= 0) ::close(held);
    // A share that will not remove an open file: once more without it.
    if (held < 0 || ::unlink(host.c_str()) != 0) {
      return Status::Error(ErrorFromErrno(held < 0 ? failed : errno));
    }
    return Status::Ok();
  }
  if (held >= 0) CloseInBackground(held);
  return Status::Ok();
}

Status PosixFileSystem::Copy(std::string_view from, std::string_view to) {
  std::error_code ec;
  const bool created = !std::filesystem::exists(HostPath(to), ec);
  std::filesystem::copy_file(HostPath(from), HostPath(to),
                             std::filesystem::copy_options::overwrite_existing, ec);
  if (!ec && created) SetCreatedMode(HostPath(to));
  return FromErrorCode(ec);
}

Status PosixFileSystem::Rename(std::string_view from, std::string_view to) {
  std::filesystem::path source = HostPath(from);
  std::filesystem::path target = HostPath(to);
  const int held = HoldLargeFile(target);
  if (::rename(source.c_str(), target.c_str()) == 0) {
    if (held >= 0) CloseInBackground(held);
    return Status::Ok();
  }
  const int failed = errno;
  if (held < 0) return Status::Error(ErrorFromErrno(failed));
  // A share that will not rename over an open file: once more without it.
  ::close(held);
  if (::rename(source.c_str(), target.c_str()) != 0) return Status::Error(ErrorFromErrno(errno));
  return Status::Ok();
}

Status PosixFileSystem::SyncDirectory(std::string_view dir) {
  std::filesystem::path host = HostPath(dir);
  int fd = ::open(host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return Status::Error(ErrorFromErrno(errno));
  int rc = ::fsync(fd);
  int saved = errno;
  ::close(fd);
  if (rc != 0) return Status::Error(ErrorFromErrno(saved));
  return Status::Ok();
}

Status PosixFileSystem::ListFiles(std::string_view dir, std::vector<std::string>& names) {
  names.clear();
  std::error_code ec;
  for (std::filesystem::directory_iterator it(HostPath(dir), ec), end; !ec && it != end;
       it.increment(ec)) {
    std::error_code typeEc;
    if (it->is_regular_file(typeEc)) names.push_back(it->path().filename().string());
  }
  return FromErrorCode(ec);
}

Status PosixFileSystem::ListDirectories(std::string_view dir, std::vector<std::string>& names) {
  names.clear();
  std::error_code ec;
  for (std::filesystem::directory_iterator it(HostPath(dir), ec), end; !ec && it != end;
       it.increment(ec)) {
    std::error_code typeEc;
    if (it->is_directory(typeEc)) names.push_back(it->path().filename().string());
  }
  return FromErrorCode(ec);
}

namespace {

// The whole content of the open file `fd` into `bytes`, read straight into
// the string's own memory; the file's length is asked only when that is
// full, so that a string reused for many small files costs no call beyond
// the reads. Closes `fd`.
Status ReadWhole(int fd, std::string& bytes) {
  bytes.resize(std::min(bytes.capacity(), std::max<std::size_t>(bytes.size(), 64 * 1024)));
  std::size_t got = 0;
  bool sized = false;
  for (;;) {
    if (got == bytes.size() && !sized) {
      sized = true;
      struct stat st {};
      if (::fstat(fd, &st) == 0 && static_cast<std::size_t>(st.st_size) + 1 > bytes.size()) {
        bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
      }
    }
    if (got == bytes.size()) bytes.resize(bytes.size() + 64 * 1024);
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int saved = errno;
      ::close(fd);
      bytes.clear();
      return Status::Error(ErrorFromErrno(saved));
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  ::close(fd);
  return Status::Ok();
}

}  // namespace

Status PosixFileSystem::ReadFile(std::string_view path, std::string& bytes) {
  const std::string host = HostPath(path).string();
  const int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    bytes.clear();
    return Status::Error(ErrorFromErrno(errno));
  }
  return ReadWhole(fd, bytes);
}

void PosixFileSystem::ReadEachFile(std::string_view dir, const std::vector<std::string>& names,
                                   std::string& bytes,
                                   const std::function<void(std::size_t, Status)>& each) {
  const std::string host = HostPath(dir).string();
  const int folder = ::open(host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) {
    FileSystem::ReadEachFile(dir, names, bytes, each);
    return;
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    const int fd = ::openat(folder, names[i].c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      bytes.clear();
      each(i, Status::Error(ErrorFromErrno(errno)));
      continue;
    }
    each(i, ReadWhole(fd, bytes));
  }
  ::close(folder);
}

}  // namespace platform
