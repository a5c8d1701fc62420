// velunor_regsvr [-u] [--soft] [LIBRARY]
// Loads a component library and calls its DllRegisterServer (or, with -u,
// DllUnregisterServer), which writes its entry in the component registry.
// A LIBRARY without a folder is looked for where the program looks for its
// components (ComponentFallbackDirectories); without LIBRARY the sort
// component installed with the program is meant.
// With --soft a failure is reported but the exit status stays 0 (the build
// must not fail only because the per-user registry cannot be written).

#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/component.h"
#include "sortlib/zuvasortmem.h"

namespace {

constexpr const char* kUsage =
    "usage: velunor_regsvr [-u] [--soft] [LIBRARY]\n"
    "Registers the component library LIBRARY for the current user in the\n"
    "component registry (%s).\n"
    "A LIBRARY without a folder is looked for where the program looks for its\n"
    "components; without LIBRARY the sort component %s found there is\n"
    "registered. Those folders, in order:\n";
constexpr const char* kOptions =
    "\n"
    "  -u          remove the entry instead\n"
    "  --soft      report a failure but exit with status 0\n"
    "  --help, -h  print this help and exit\n";

void PrintHelp() {
  std::printf(kUsage, platform::ComponentRegistryPath().c_str(), zuvasort::kLibraryFileName.data());
  for (const std::filesystem::path& d : platform::ComponentFallbackDirectories()) {
    std::printf("  %s\n", d.c_str());
  }
  std::printf("%s", kOptions);
}

// The file to load for `argument` (empty when none was given).
std::string LibraryToLoad(const char* argument) {
  const std::string name = argument != nullptr ? argument : std::string(zuvasort::kLibraryFileName);
  if (name.find('/') != std::string::npos) return name;
  const std::filesystem::path found = platform::FindBesideProgram(name);
  return found.empty() ? name : found.string();
}

}  // namespace

int main(int argc, char** argv) {
  bool unregister = false;
  bool soft = false;
  const char* argument = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      PrintHelp();
      return 0;
    } else if (std::strcmp(argv[i], "-u") == 0) {
      unregister = true;
    } else if (std::strcmp(argv[i], "--soft") == 0) {
      soft = true;
    } else if (argv[i][0] == '-' || argument != nullptr) {
      std::fprintf(stderr, "usage: velunor_regsvr [-u] [--soft] [LIBRARY] (--help for more)\n");
      return 2;
    } else {
      argument = argv[i];
    }
  }
  const std::string library = LibraryToLoad(argument);
  const int failure = soft ? 0 : 1;
  void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    std::fprintf(stderr, "velunor_regsvr: %s\n", ::dlerror());
    return failure;
  }
  const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
  auto fn = reinterpret_cast<platform::com::DllRegisterServerFn>(::dlsym(handle, entry));
  if (fn == nullptr) {
    std::fprintf(stderr, "velunor_regsvr: %s has no %s\n", library.c_str(), entry);
    ::dlclose(handle);
    return failure;
  }
  const platform::com::HRESULT hr = fn();
  ::dlclose(handle);
  const std::string registry = platform::ComponentRegistryPath().string();
  if (!platform::com::Succeeded(hr)) {
    std::fprintf(stderr, "velunor_regsvr: %s failed (0x%08X) for %s\n", entry,
                 static_cast<unsigned>(hr), registry.c_str());
    return failure;
  }
  std::printf("%s %s in %s\n", library.c_str(), unregister ? "unregistered" : "registered",
              registry.c_str());
  return 0;
}
