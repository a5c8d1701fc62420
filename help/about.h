#pragma once

#include <filesystem>
#include <string>

namespace help {

// Where the sort component is created from: the library its class identity
// is registered to when that file exists, else the library installed beside
// the program (the fall-back of creation), else nothing.
struct SortComponentPlace {
  enum Kind { kRegistered, kBesideProgram, kMissing };
  Kind kind = kMissing;
  std::filesystem::path library;     // the library used (empty when kMissing)
  std::filesystem::path registered;  // the registry's entry, also when its file is missing
};
SortComponentPlace FindSortComponent();

// The version of the program ("2.0.0").
std::string ProgramVersion();

// The lines of バージョン情報: the program and its version, the data drive's
// host folder, the sort component's library and version, the licence.
std::string AboutText(const std::filesystem::path& driveRoot, const SortComponentPlace& sort);

}  // namespace help
