#include "tests/support/temp_drive.h"

#include <unistd.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace testing_support {

TempDrive::TempDrive() {
  std::string pattern = (std::filesystem::temp_directory_path() / "velunor-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
}

TempDrive::~TempDrive() {
  std::error_code ec;
  std::filesystem::permissions(root_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(root_, ec);
}

std::filesystem::path TempDrive::Host(std::string_view windowsPath) const {
  return Drive().ToHost(windowsPath);
}

std::string TempDrive::ReadBytes(std::string_view windowsPath) const {
  std::ifstream in(Host(windowsPath), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void TempDrive::WriteBytes(std::string_view windowsPath, std::string_view bytes) const {
  std::filesystem::path host = Host(windowsPath);
  std::filesystem::create_directories(host.parent_path());
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace testing_support
