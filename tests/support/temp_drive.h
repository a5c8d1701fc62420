#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/drive.h"

namespace testing_support {

// A fresh, empty data drive in a temporary directory, removed afterwards.
class TempDrive {
 public:
  TempDrive();
  ~TempDrive();
  TempDrive(const TempDrive&) = delete;
  TempDrive& operator=(const TempDrive&) = delete;

  const std::filesystem::path& Root() const { return root_; }
  platform::DataDrive Drive() const { return platform::DataDrive(root_); }
  std::filesystem::path Host(std::string_view windowsPath) const;

  // Whole-file helpers for checking bytes.
  std::string ReadBytes(std::string_view windowsPath) const;
  void WriteBytes(std::string_view windowsPath, std::string_view bytes) const;

 private:
  std::filesystem::path root_;
};

}  // namespace testing_support
