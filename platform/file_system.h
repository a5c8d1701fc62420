#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/drive.h"
#include "platform/status.h"

namespace platform {

// Windows file attribute bits, derived from the host file (see README).
enum Attribute : int {
  kAttrReadOnly = 1,
  kAttrHidden = 2,
  kAttrSystem = 4,
  kAttrDirectory = 16,
  kAttrArchive = 32,
};

struct FileFacts {
  std::uint64_t length = 0;
  std::time_t modified = 0;
  int attributes = 0;
};

// What stands at a path on the host, for telling the user why it cannot be
// used.
struct PathState {
  enum Kind { kMissing, kFile, kDirectory, kOther };
  Kind kind = kMissing;
  // The file system holding the path (or its nearest existing folder) is
  // mounted read-only.
  bool readOnlyDrive = false;
};

// A read-only view of a file's bytes, in place; released when destroyed.
class MappedBytes {
 public:
  virtual ~MappedBytes() = default;
  virtual std::span<const char> Bytes() const = 0;
};

// An open file for random access, read and write.
class RandomFile {
 public:
  virtual ~RandomFile() = default;
  // Reads up to out.size() bytes at offset; `got` receives the count read.
  virtual Status ReadAt(std::uint64_t offset, std::span<char> out, std::size_t& got) = 0;
  // Writes every byte, handing them to the operating system before returning.
  virtual Status WriteAt(std::uint64_t offset, std::span<const char> bytes) = 0;
  virtual Status Length(std::uint64_t& length) = 0;
  // Forces the written bytes to the disk.
  virtual Status Sync() = 0;
  // Lets the operating system start writing `length` bytes at `offset` to
  // the disk now, without waiting for them, so that a later Sync() of a
  // file written piece by piece has little left to wait for. A hint only.
  virtual void StartWriting(std::uint64_t /*offset*/, std::uint64_t /*length*/) {}
  // Cuts the file to `length` bytes (a failed append taken back).
  virtual Status Truncate(std::uint64_t length) = 0;
  // The first `length` bytes in place, without copying them into fresh
  // memory; null when this file cannot give them so (the caller reads them).
  // The file must not shrink while the view lives.
  virtual std::unique_ptr<MappedBytes> Map(std::uint64_t /*length*/) { return nullptr; }
  // Copies `length` bytes of `from` at `offset` to the same offset of this
  // file inside the operating system, without passing them through the
  // program. False, with nothing copied, when this pair of files cannot (the
  // caller copies them itself); otherwise `status` says how it went.
  virtual bool CopyFrom(RandomFile& /*from*/, std::uint64_t /*offset*/, std::uint64_t /*length*/,
                        Status& /*status*/) {
    return false;
  }
};

// The file facilities the system needs. Every path may be written as the
// system writes it ("C:\VLN2\VLN2.ekg") or as a host path; the drive maps it.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual const DataDrive& Drive() const = 0;
  // The host path of `path` on the data drive. Everything else in the
  // program reads and writes files through this interface; the few places
  // that must hand a path to a library that opens the file itself (Qt
  // writing a picture, see platform/pictures.h) use this, and what they do
  // is not seen by a file system that wraps or replaces the disk.
  std::filesystem::path HostPath(std::string_view path) const { return Drive().ToHost(path); }

  // Opens for read and write, creating the file when missing.
  virtual Status OpenRandom(std::string_view path, std::unique_ptr<RandomFile>& out) = 0;
  // Opens an existing file for reading only; its writes fail. A file system
  // that cannot do this refuses with "permission denied".
  virtual Status OpenRandomReadOnly(std::string_view /*path*/,
                                    std::unique_ptr<RandomFile>& /*out*/) {
    return Status::Error(kPermissionDenied);
  }
  // What stands at `path`. The default knows folders and files only.
  virtual PathState Probe(std::string_view path) {
    PathState state;
    if (IsDirectory(path)) {
      state.kind = PathState::kDirectory;
    } else if (Exists(path)) {
      state.kind = PathState::kFile;
    }
    return state;
  }

  // Directory lookup: the stored name of the file (ignoring case), or "".
  virtual std::string Dir(std::string_view path) = 0;
  virtual bool Exists(std::string_view path) = 0;
  virtual bool IsDirectory(std::string_view path) = 0;
  virtual Status Facts(std::string_view path, FileFacts& out) = 0;
  virtual Status CreateDirectory(std::string_view path) = 0;
  virtual Status Delete(std::string_view path) = 0;
  virtual Status Copy(std::string_view from, std::string_view to) = 0;
  // Moves `from` over `to` in one atomic step when both are on one disk.
  virtual Status Rename(std::string_view from, std::string_view to) = 0;
  // Makes a completed rename in `dir` durable.
  virtual Status SyncDirectory(std::string_view dir) = 0;
  // Names of the plain files in a directory.
  virtual Status ListFiles(std::string_view dir, std::vector<std::string>& names) = 0;
  // Names of the directories in a directory.
  virtual Status ListDirectories(std::string_view dir, std::vector<std::string>& names) = 0;
  // The whole content of an existing file, opened for reading only (a
  // read-only file can be read); a missing file is "file not found".
  virtual Status ReadFile(std::string_view path, std::string& bytes) = 0;
  // ReadFile of each of `names` (as ListFiles gives them) in folder `dir`
  // (ending in a separator), one after another into `bytes`; `each`
  // receives the index of the name and the status of its read.
  virtual void ReadEachFile(std::string_view dir, const std::vector<std::string>& names,
                            std::string& bytes,
                            const std::function<void(std::size_t, Status)>& each) {
    for (std::size_t i = 0; i < names.size(); ++i) {
      each(i, ReadFile(std::string(dir) + names[i], bytes));
    }
  }
};

class PosixFileSystem : public FileSystem {
 public:
  explicit PosixFileSystem(DataDrive drive) : drive_(std::move(drive)) {}

  const DataDrive& Drive() const override { return drive_; }
  Status OpenRandom(std::string_view path, std::unique_ptr<RandomFile>& out) override;
  Status OpenRandomReadOnly(std::string_view path, std::unique_ptr<RandomFile>& out) override;
  PathState Probe(std::string_view path) override;
  std::string Dir(std::string_view path) override;
  bool Exists(std::string_view path) override;
  bool IsDirectory(std::string_view path) override;
  Status Facts(std::string_view path, FileFacts& out) override;
  Status CreateDirectory(std::string_view path) override;
  Status Delete(std::string_view path) override;
  Status Copy(std::string_view from, std::string_view to) override;
  Status Rename(std::string_view from, std::string_view to) override;
  Status SyncDirectory(std::string_view dir) override;
  Status ListFiles(std::string_view dir, std::vector<std::string>& names) override;
  Status ListDirectories(std::string_view dir, std::vector<std::string>& names) override;
  Status ReadFile(std::string_view path, std::string& bytes) override;
  // The folder found once; each file opened by its name in it.
  void ReadEachFile(std::string_view dir, const std::vector<std::string>& names,
                    std::string& bytes,
                    const std::function<void(std::size_t, Status)>& each) override;

 private:
  DataDrive drive_;
};

// The modes of what the program creates on the host: the owner's alone
// (folders 0700, files 0600), or, inside a folder that grants its group
// write access (a drive shared by a clinic's group), the group's too
// (folders 2770, files 0660). What exists keeps its mode.
struct CreationModes {
  unsigned folder = 0700;
  unsigned file = 0600;
};
CreationModes ModesIn(const std::filesystem::path& folder);
// Gives a file the program has just created the mode its folder calls for.
void SetCreatedMode(const std::filesystem::path& file);
// Creates `folder` and its missing parents, each with the mode its parent
// calls for. An existing folder is no error.
std::error_code CreateFolders(const std::filesystem::path& folder);

// The Windows attribute value of a host file: a directory 16, a plain file 32
// (Windows marks every file it writes for archiving), +1 when the owner may
// not write it, +2 when its name starts with a dot.
int WindowsAttributes(bool isDirectory, bool ownerWritable, std::string_view name);

}  // namespace platform
