#pragma once

#include <filesystem>

#include "platform/drive.h"

namespace bench {

// The data drive at `root` as the program sets it up at start: the working
// copies of this workstation (the lists, the sort's exchange file) in a
// folder of their own, named as they are written.
inline platform::DataDrive ProgramDrive(const std::filesystem::path& root) {
  platform::DataDrive drive(root);
  const std::filesystem::path folder = platform::DataDrive::WorkstationFolder(root);
  std::filesystem::create_directories(folder);
  drive.SetWorkingCopyFolder(folder);
  return drive;
}

}  // namespace bench
