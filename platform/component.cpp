#include "platform/component.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>
#include <vector>

namespace platform {
namespace {

using namespace com;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// ---- registry file ----------------------------------------------------------

struct Section {
  std::string name;                // "{GUID}" as written
  std::vector<std::string> lines;  // key=value lines and comments, as read
};

struct RegistryFile {
  std::vector<std::string> preamble;
  std::vector<Section> sections;
};

std::string TrimmedLine(std::string line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
    line.pop_back();
  }
  std::size_t first = line.find_first_not_of(" \t");
  return first == std::string::npos ? std::string() : line.substr(first);
}

RegistryFile ReadRegistry(const std::filesystem::path& path) {
  RegistryFile file;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    line = TrimmedLine(line);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      file.sections.push_back({line.substr(1, line.size() - 2), {}});
    } else if (file.sections.empty()) {
      file.preamble.push_back(line);
    } else {
      file.sections.back().lines.push_back(line);
    }
  }
  return file;
}

Section* FindSection(RegistryFile& file, const CLSID& clsid) {
  for (Section& s : file.sections) {
    if (std::optional<GUID> g = GuidFromString(s.name); g && *g == clsid) return &s;
  }
  return nullptr;
}

std::string Value(const Section& section, std::string_view key) {
  for (const std::string& line : section.lines) {
    std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    if (TrimmedLine(line.substr(0, eq)) == key) return TrimmedLine(line.substr(eq + 1));
  }
  return {};
}

Status WriteRegistry(const std::filesystem::path& path, const RegistryFile& file) {
  std::error_code ec;
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
  std::filesystem::path temp = path;
  temp += ".tmp" + std::to_string(::getpid());
  std::FILE* out = std::fopen(temp.c_str(), "w");
  if (out == nullptr) return Status::Error(ErrorFromErrno(errno));
  std::ostringstream text;
  for (const std::string& line : file.preamble) text << line << '\n';
  for (const Section& s : file.sections) {
    text << '[' << s.name << "]\n";
    for (const std::string& line : s.lines) {
      if (!line.empty()) text << line << '\n';
    }
  }
  const std::string bytes = text.str();
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  const int writeErrno = errno;
  if (std::fclose(out) != 0 || !written) {
    std::filesystem::remove(temp, ec);
    return Status::Error(ErrorFromErrno(written ? errno : writeErrno));
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    const int e = errno;
    std::filesystem::remove(temp, ec);
    return Status::Error(ErrorFromErrno(e));
  }
  return Status::Ok();
}

// ---- loaded libraries -------------------------------------------------------

struct LoadedLibrary {
  std::string path;
  void* handle;
  DllGetClassObjectFn getClassObject;
  DllCanUnloadNowFn canUnloadNow;
};

std::mutex& LibrariesMutex() {
  static std::mutex m;
  return m;
}
std::vector<LoadedLibrary>& Libraries() {
  static std::vector<LoadedLibrary> libraries;
  return libraries;
}

void FreeUnusedLocked() {
  auto& libraries = Libraries();
  for (auto it = libraries.begin(); it != libraries.end();) {
    if (it->canUnloadNow() == S_OK) {
      ::dlclose(it->handle);
      it = libraries.erase(it);
    } else {
      ++it;
    }
  }
}

CreateResult Failure(HRESULT hr, std::string detail) {
  CreateResult r;
  r.status = Status::Error(kCannotCreateObject);
  r.hresult = hr;
  r.detail = std::move(detail);
  return r;
}

std::optional<std::vector<std::filesystem::path>>& FallbackOverride() {
  static std::optional<std::vector<std::filesystem::path>> directories;
  return directories;
}

// A path as the loaded-library list keeps it: absolute paths normalised
// (symbolic links resolved where the file exists), bare names as given.
std::string LibraryKey(const std::string& path) {
  if (path.find('/') == std::string::npos) return path;
  std::error_code ec;
  std::filesystem::path canonical = std::filesystem::weakly_canonical(path, ec);
  return ec ? path : canonical.string();
}

// The loaded library at `path`, loading it when needed; on failure `tried`
// says why.
LoadedLibrary* LoadLocked(const std::string& path, TriedLibrary& tried) {
  const std::string key = LibraryKey(path);
  for (LoadedLibrary& l : Libraries()) {
    if (l.path == key) return &l;
  }
  std::error_code ec;
  if (key.find('/') != std::string::npos && !std::filesystem::exists(key, ec)) {
    tried.problem = TriedLibrary::kMissing;
    return nullptr;
  }
  void* handle = ::dlopen(key.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = ::dlerror();
    tried.problem = TriedLibrary::kNotLoadable;
    tried.why = why ? why : key;
    return nullptr;
  }
  auto get = reinterpret_cast<DllGetClassObjectFn>(::dlsym(handle, "DllGetClassObject"));
  auto can = reinterpret_cast<DllCanUnloadNowFn>(::dlsym(handle, "DllCanUnloadNow"));
  if (get == nullptr || can == nullptr) {
    ::dlclose(handle);
    tried.problem = TriedLibrary::kNoEntryPoints;
    return nullptr;
  }
  Libraries().push_back({key, handle, get, can});
  return &Libraries().back();
}

std::string Describe(const TriedLibrary& t) {
  switch (t.problem) {
    case TriedLibrary::kMissing:
      return t.path + ": no such file";
    case TriedLibrary::kNotLoadable:
      return t.why;
    case TriedLibrary::kNoEntryPoints:
      return t.path + " lacks the component entry points";
  }
  return t.path;
}

}  // namespace

std::string com::GuidToString(const GUID& g) {
  char text[39];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

std::optional<GUID> com::GuidFromString(std::string_view text) {
  if (text.size() == 38 && text.front() == '{' && text.back() == '}') {
    text = text.substr(1, 36);
  }
  if (text.size() != 36) return std::nullopt;
  std::uint8_t bytes[16];
  std::size_t b = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (text[i] != '-') return std::nullopt;
      ++i;
      continue;
    }
    const int hi = HexValue(text[i]);
    const int lo = HexValue(text[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    bytes[b++] = static_cast<std::uint8_t>(hi * 16 + lo);
    i += 2;
  }
  GUID g{};
  g.Data1 = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
            (std::uint32_t{bytes[2]} << 8) | bytes[3];
  g.Data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
  g.Data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
  for (int i = 0; i < 8; ++i) g.Data4[i] = bytes[8 + i];
  return g;
}

std::size_t Utf16FromUtf8(std::string_view s, char16_t* out) {
  char16_t* const first = out;
  std::size_t i = 0;
  for (; i < s.size() && static_cast<unsigned char>(s[i]) < 0x80; ++i) {
    *out++ = static_cast<unsigned char>(s[i]);
  }
  while (i < s.size()) {
    const auto lead = static_cast<unsigned char>(s[i]);
    if (lead < 0x80) {
      *out++ = lead;
      ++i;
      continue;
    }
    std::size_t need = 0;
    char32_t cp = 0xFFFD;
    char32_t min = 0;
    if (lead >= 0xF0 && lead <= 0xF4) {
      need = 3, cp = lead & 0x07, min = 0x10000;
    } else if (lead >= 0xE0 && lead < 0xF0) {
      need = 2, cp = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xC2 && lead < 0xE0) {
      need = 1, cp = lead & 0x1F, min = 0x80;
    }
    ++i;
    for (std::size_t k = 0; k < need; ++k, ++i) {
      if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
        cp = 0xFFFD;
        break;
      }
      cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp >= 0x10000) {  // four bytes in, two units out
      cp -= 0x10000;
      *out++ = static_cast<char16_t>(0xD800 + (cp >> 10));
      *out++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      *out++ = static_cast<char16_t>(cp);
    }
  }
  return static_cast<std::size_t>(out - first);
}

std::u16string Utf16FromUtf8(std::string_view s) {
  std::u16string out(s.size(), u'\0');
  out.resize(Utf16FromUtf8(s, out.data()));
  return out;
}

void Utf8FromUtf16(std::u16string_view s, std::string& out) {
  out.resize(s.size());
  char* p = out.data();
  std::size_t ascii = 0;
  for (; ascii < s.size() && s[ascii] < 0x80; ++ascii) p[ascii] = static_cast<char>(s[ascii]);
  out.resize(ascii);
  for (std::size_t i = ascii; i < s.size(); ++i) {
    char32_t cp = s[i];
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
      continue;
    }
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
        s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
}

std::string Utf8FromUtf16(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  Utf8FromUtf16(s, out);
  return out;
}

bool com::Bstr::AssignUtf8(std::string_view utf8) {
  if (utf8.size() > (UINT32_MAX - 8) / 2) return false;
  if (value_ == nullptr || capacity_ < utf8.size()) {
    BSTR fresh = SysAllocStringLen(nullptr, static_cast<std::uint32_t>(utf8.size()));
    if (fresh == nullptr) return false;
    SysFreeString(std::exchange(value_, fresh));
    capacity_ = utf8.size();
  }
  const auto length = static_cast<std::uint32_t>(Utf16FromUtf8(utf8, value_));
  value_[length] = u'\0';
  const std::uint32_t bytes = 2 * length;
  std::memcpy(reinterpret_cast<unsigned char*>(value_) - 4, &bytes, 4);
  return true;
}

std::filesystem::path ComponentRegistryPath() {
  if (const char* file = std::getenv("VELUNOR_COMPONENT_REGISTRY"); file && *file) return file;
  std::filesystem::path config;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
    config = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    config = std::filesystem::path(home) / ".config";
  } else {
    config = std::filesystem::temp_directory_path();
  }
  return config / "velunor2" / "components.ini";
}

Status RegisterComponent(const CLSID& clsid, const ComponentEntry& entry) {
  const std::filesystem::path path = ComponentRegistryPath();
  RegistryFile file = ReadRegistry(path);
  if (file.preamble.empty() && file.sections.empty()) {
    file.preamble.push_back("; Velunor2.0 component registry: class identity -> library");
  }
  Section fresh{
      GuidToString(clsid),
      {"ProgID=" + entry.progId, "InprocServer=" + entry.library, "TypeLib=" + entry.typeLibrary}};
  if (Section* s = FindSection(file, clsid)) {
    *s = std::move(fresh);
  } else {
    file.sections.push_back(std::move(fresh));
  }
  return WriteRegistry(path, file);
}

Status UnregisterComponent(const CLSID& clsid) {
  const std::filesystem::path path = ComponentRegistryPath();
  RegistryFile file = ReadRegistry(path);
  Section* s = FindSection(file, clsid);
  if (s == nullptr) return Status::Ok();
  file.sections.erase(file.sections.begin() + (s - file.sections.data()));
  return WriteRegistry(path, file);
}

std::optional<ComponentEntry> LookUpComponent(const CLSID& clsid) {
  RegistryFile file = ReadRegistry(ComponentRegistryPath());
  const Section* s = FindSection(file, clsid);
  if (s == nullptr) return std::nullopt;
  ComponentEntry entry{Value(*s, "ProgID"), Value(*s, "InprocServer"), Value(*s, "TypeLib")};
  if (entry.library.empty()) return std::nullopt;
  return entry;
}

std::filesystem::path ExecutableDirectory() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return exe.parent_path();
}

std::vector<std::filesystem::path> ComponentFallbackDirectories() {
  if (const auto& directories = FallbackOverride()) return *directories;
  std::vector<std::filesystem::path> candidates;
  const std::filesystem::path here = ExecutableDirectory();
  if (!here.empty()) {
    candidates = {(here / ".." / "lib" / "velunor2").lexically_normal(),
                  (here / ".." / "lib").lexically_normal(), here};
  }
  candidates.push_back(std::filesystem::path(VELUNOR_INSTALLED_COMPONENT_DIR).lexically_normal());
  std::vector<std::filesystem::path> directories;
  for (std::filesystem::path& d : candidates) {
    if (std::find(directories.begin(), directories.end(), d) == directories.end()) {
      directories.push_back(std::move(d));
    }
  }
  return directories;
}

std::filesystem::path FindBesideProgram(std::string_view fileName) {
  for (const std::filesystem::path& d : ComponentFallbackDirectories()) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(d / fileName, ec)) return d / fileName;
  }
  return {};
}

void SetComponentFallbackDirectoriesForTesting(
    std::optional<std::vector<std::filesystem::path>> directories) {
  FallbackOverride() = std::move(directories);
}

CreateResult CreateInstance(const CLSID& clsid, const IID& iid, void** object,
                            std::string_view fallbackLibrary) {
  if (object == nullptr) return Failure(E_POINTER, "no place for the object");
  *object = nullptr;
  const std::optional<ComponentEntry> entry = LookUpComponent(clsid);

  std::vector<TriedLibrary> candidates;
  if (entry) candidates.push_back({entry->library, TriedLibrary::kMissing, true, {}});
  if (!fallbackLibrary.empty()) {
    for (const std::filesystem::path& d : ComponentFallbackDirectories()) {
      candidates.push_back({(d / fallbackLibrary).string(), TriedLibrary::kMissing, false, {}});
    }
  }

  std::lock_guard lock(LibrariesMutex());
  std::vector<TriedLibrary> tried;
  LoadedLibrary* library = nullptr;
  std::string served;
  for (TriedLibrary& candidate : candidates) {
    const bool seen = std::any_of(tried.begin(), tried.end(), [&](const TriedLibrary& t) {
      return LibraryKey(t.path) == LibraryKey(candidate.path);
    });
    if (seen) continue;
    library = LoadLocked(candidate.path, candidate);
    if (library != nullptr) {
      served = candidate.path;
      break;
    }
    tried.push_back(candidate);
  }
  if (library == nullptr) {
    CreateResult failure;
    if (!entry && tried.empty()) {
      failure =
          Failure(REGDB_E_CLASSNOTREG, "class " + GuidToString(clsid) + " is not registered in " +
                                           ComponentRegistryPath().string());
    } else {
      std::string detail = entry ? std::string()
                                 : "class " + GuidToString(clsid) + " is not registered in " +
                                       ComponentRegistryPath().string();
      for (const TriedLibrary& t : tried) detail += (detail.empty() ? "" : "; ") + Describe(t);
      const bool noEntryPoints = entry && tried.front().registered &&
                                 tried.front().problem == TriedLibrary::kNoEntryPoints;
      failure = Failure(!entry          ? REGDB_E_CLASSNOTREG
                        : noEntryPoints ? CO_E_ERRORINDLL
                                        : CO_E_DLLNOTFOUND,
                        std::move(detail));
    }
    failure.tried = std::move(tried);
    return failure;
  }

  auto fail = [&](HRESULT hr, std::string detail) {
    FreeUnusedLocked();
    CreateResult failure = Failure(hr, std::move(detail));
    failure.tried = tried;
    return failure;
  };
  void* factoryPointer = nullptr;
  HRESULT hr = library->getClassObject(&clsid, &IClassFactory::kIid, &factoryPointer);
  if (!Succeeded(hr) || factoryPointer == nullptr) {
    return fail(Succeeded(hr) ? E_POINTER : hr, served + " has no class " + GuidToString(clsid));
  }
  auto* factory = static_cast<IClassFactory*>(factoryPointer);
  hr = factory->CreateInstance(nullptr, iid, object);
  factory->Release();
  if (!Succeeded(hr) || *object == nullptr) {
    *object = nullptr;
    return fail(Succeeded(hr) ? E_POINTER : hr,
                "the class factory refused interface " + GuidToString(iid));
  }
  CreateResult result;
  result.tried = std::move(tried);
  result.library = served;
  return result;
}

void FreeUnusedLibraries() {
  std::lock_guard lock(LibrariesMutex());
  FreeUnusedLocked();
}

std::size_t LoadedComponentLibraries() {
  std::lock_guard lock(LibrariesMutex());
  return Libraries().size();
}

}  // namespace platform
