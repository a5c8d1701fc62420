#pragma once

#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace testing_support {

// A file system held in memory, for store tests that need no disk. Paths are
// written as the system writes them ("C:\VLN2\VLN2.ekg", "\" or "/" between
// names) or as host paths under Drive().Root(); other host paths ("/x/y")
// form a tree of their own. Names on drive C: are found ignoring ASCII letter
// case and keep the case they were created with, as on Windows; host paths
// outside the drive compare exactly. Only the drive root "C:\" and "/" exist
// at first.
//
// As on the disk: a file open for random access keeps its bytes when it is
// deleted or renamed over; opening a file in a missing directory is "file
// not found" (53) as on the disk; renaming over an existing file replaces it
// and keeps the name it was stored under.
class MemoryFileSystem : public platform::FileSystem {
 public:
  MemoryFileSystem();

  // Test helpers: the whole content of a file, creating missing directories
  // on the way; the bytes of a file ("" when missing); the names of every
  // file, as written at creation, for checking that nothing is left over.
  void WriteBytes(std::string_view path, std::string_view bytes);
  std::string ReadBytes(std::string_view path) const;
  std::vector<std::string> AllFiles() const;
  // Marks a file read-only (attribute 1); opening it for writing is refused,
  // opening it for reading only is not.
  void SetReadOnly(std::string_view path, bool readOnly);
  // The modification time newly written files get.
  void SetClock(std::time_t now) { now_ = now; }

  const platform::DataDrive& Drive() const override { return drive_; }
  platform::Status OpenRandom(std::string_view path,
                              std::unique_ptr<platform::RandomFile>& out) override;
  platform::Status OpenRandomReadOnly(std::string_view path,
                                      std::unique_ptr<platform::RandomFile>& out) override;
  std::string Dir(std::string_view path) override;
  bool Exists(std::string_view path) override;
  bool IsDirectory(std::string_view path) override;
  platform::Status Facts(std::string_view path, platform::FileFacts& out) override;
  platform::Status CreateDirectory(std::string_view path) override;
  platform::Status Delete(std::string_view path) override;
  platform::Status Copy(std::string_view from, std::string_view to) override;
  platform::Status Rename(std::string_view from, std::string_view to) override;
  platform::Status SyncDirectory(std::string_view dir) override;
  platform::Status ListFiles(std::string_view dir, std::vector<std::string>& names) override;
  platform::Status ListDirectories(std::string_view dir, std::vector<std::string>& names) override;
  platform::Status ReadFile(std::string_view path, std::string& bytes) override;

  struct Content {
    std::string bytes;
    std::time_t modified = 0;
  };

 private:
  struct Name {
    bool drive = true;               // on drive C: (names ignore case)
    std::vector<std::string> parts;  // the names from the root down
    std::string key;                 // what lookups compare
    std::string display;             // the path as written
    std::string parent;              // key of the directory holding it
    std::string leaf;                // the last name, as written
  };
  struct File {
    std::string display;
    std::string leaf;
    std::string parent;
    std::shared_ptr<Content> content;
    bool readOnly = false;
  };
  struct Directory {
    std::string display;
    std::string leaf;
    std::string parent;
  };

  Name Resolve(std::string_view path) const;
  static Name Make(bool drive, std::vector<std::string> parts);
  static Name Parent(const Name& name);
  File* FindFile(const std::string& key);
  const File* FindFile(const std::string& key) const;
  bool HasDirectory(const std::string& key) const { return dirs_.count(key) != 0; }
  void MakeDirectories(const Name& name);

  platform::DataDrive drive_;
  std::map<std::string, File> files_;
  std::map<std::string, Directory> dirs_;
  std::time_t now_ = 1136073600;  // 2006/01/01 00:00 UTC
};

}  // namespace testing_support
