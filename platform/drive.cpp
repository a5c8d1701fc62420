#include "platform/drive.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <system_error>
#include <utility>

namespace platform {
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

DataDrive::DataDrive(std::filesystem::path root) : root_(std::move(root)) {}

bool DataDrive::IsDrivePath(std::string_view path) {
  return path.size() >= 2 && (path[0] == 'C' || path[0] == 'c') && path[1] == ':';
}

namespace {

// Where a working copy is written, and its name in the workstation's folder.
constexpr std::pair<const char*, const char*> kWorkingCopies[] = {
    {"C:\\VLN2\\TEMP.DATA", "TEMP.DATA"},
    {"C:\\VLN2\\TEMP.DATA.PART", "TEMP.DATA.PART"},
    {"C:\\MASTA\\KARIKAN.DATA", "KARIKAN.DATA"},
    {"C:\\MASTA\\KARIKAN.DATA.PART", "KARIKAN.DATA.PART"},
};

std::string WithBackslashes(std::string_view path) {
  std::string out(path);
  for (char& c : out) {
    if (c == '/') c = '\\';
  }
  return out;
}

}  // namespace

std::filesystem::path DataDrive::WorkstationFolder(const std::filesystem::path& root) {
  char host[256] = {};
  (void)::gethostname(host, sizeof host - 1);
  const char* session = std::getenv("XDG_RUNTIME_DIR");
  const char* home = std::getenv("HOME");
  const std::string who = std::string(host) + "\n" + std::to_string(::getuid()) + "\n" +
                          (session != nullptr ? session : "") + "\n" +
                          (home != nullptr ? home : "");
  char hash[17];
  std::snprintf(hash, sizeof hash, "%016zx", std::hash<std::string>{}(who));
  return root / ".velunor2-workstations" / (std::string(host) + "-" + hash);
}

std::filesystem::path DataDrive::ToHost(std::string_view path) const {
  if (!IsDrivePath(path)) return std::filesystem::path(std::string(path));
  if (!workingCopies_.empty()) {
    const std::string written = WithBackslashes(path);
    for (const auto& [copy, name] : kWorkingCopies) {
      if (EqualsIgnoringAsciiCase(written, copy)) return workingCopies_ / name;
    }
  }
  std::filesystem::path host = root_;
  std::string_view rest = path.substr(2);
  bool parentExists = true;
  while (!rest.empty()) {
    std::size_t cut = rest.find_first_of("\\/");
    std::string_view part = rest.substr(0, cut);
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (host != root_) host = host.parent_path();
      continue;
    }
    std::string stored;
    if (parentExists) stored = FindNameIgnoringCase(host, part);
    if (stored.empty()) {
      parentExists = false;
      host /= std::string(part);
    } else {
      host /= stored;
    }
  }
  return host;
}

std::filesystem::path DataDrive::ResolveRoot(int argc, const char* const* argv) {
  // The command line wins over the environment; the last --drive-c counts.
  std::string fromOption;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg(argv[i]);
    if (arg == "--drive-c" && i + 1 < argc) {
      fromOption = argv[++i];
    } else if (arg.starts_with("--drive-c=")) {
      fromOption = std::string(arg.substr(10));
    }
  }
  if (!fromOption.empty()) return fromOption;
  if (const char* env = std::getenv("VELUNOR_DRIVE_C"); env != nullptr && *env != '\0') {
    return env;
  }
  std::filesystem::path base;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    base = std::filesystem::path(home) / ".local" / "share";
  } else {
    base = "/tmp";
  }
  return base / "velunor2" / "C";
}

std::string FindNameIgnoringCase(const std::filesystem::path& dir, std::string_view name) {
  std::error_code ec;
  if (std::filesystem::exists(dir / std::string(name), ec)) {
    // The exact name exists; still prefer it over a case variant.
    return std::string(name);
  }
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::string stored = it->path().filename().string();
    if (EqualsIgnoringAsciiCase(stored, name)) return stored;
  }
  return {};
}

}  // namespace platform
