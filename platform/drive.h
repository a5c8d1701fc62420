#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// The data drive: the host directory that stands for drive C:. Paths are
// written everywhere as the system writes them ("C:\VLN2\VLN2.ekg") and
// translated only here.
class DataDrive {
 public:
  explicit DataDrive(std::filesystem::path root);

  const std::filesystem::path& Root() const { return root_; }

  // "C:\VLN2\GAZOU\a.jpg" -> <root>/VLN2/GAZOU/a.jpg. Each component that
  // already exists under another letter case is found ignoring case and
  // returned with its stored name, as Windows does. A path that is already a
  // host path ("/home/...") is returned unchanged.
  std::filesystem::path ToHost(std::string_view path) const;

  // The working copies of one workstation ("C:\VLN2\TEMP.DATA",
  // "C:\MASTA\KARIKAN.DATA" and their ".PART" files) are kept in `folder`
  // instead, so that programs on several workstations never share one. The
  // folder must lie on the drive's own file system: a rebuild renames its
  // working copy over the live file. Empty: they stay where they are written.
  void SetWorkingCopyFolder(std::filesystem::path folder) { workingCopies_ = std::move(folder); }
  const std::filesystem::path& WorkingCopyFolder() const { return workingCopies_; }
  // "<root>/.velunor2-workstations/<name>": the folder of this workstation,
  // named after the host, the user and the desktop session (XDG_RUNTIME_DIR).
  static std::filesystem::path WorkstationFolder(const std::filesystem::path& root);

  // True for a path written with the drive letter ("C:\..." or "c:/...").
  static bool IsDrivePath(std::string_view path);

  // The root: "--drive-c DIR" (or "--drive-c=DIR") of the command line, else
  // VELUNOR_DRIVE_C if set, else $XDG_DATA_HOME/velunor2/C
  // (~/.local/share/velunor2/C).
  static std::filesystem::path ResolveRoot(int argc, const char* const* argv);

 private:
  std::filesystem::path root_;
  std::filesystem::path workingCopies_;
};

// True when `a` and `b` are equal but for the letter case of ASCII letters,
// as Windows compares file names.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// Finds `name` in `dir` ignoring ASCII letter case. Returns the stored name,
// or an empty string when no entry matches.
std::string FindNameIgnoringCase(const std::filesystem::path& dir, std::string_view name);

}  // namespace platform
