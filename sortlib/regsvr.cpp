// velunor_regsvr [-u] [--soft] LIBRARY
// Loads a component library and calls its DllRegisterServer (or, with -u,
// DllUnregisterServer), which writes its entry in the component registry.
// With --soft a failure is reported but the exit status stays 0 (the build
// must not fail only because the per-user registry cannot be written).

#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/component.h"

int main(int argc, char** argv) {
  bool unregister = false;
  bool soft = false;
  const char* library = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-u") == 0) {
      unregister = true;
    } else if (std::strcmp(argv[i], "--soft") == 0) {
      soft = true;
    } else {
      library = argv[i];
    }
  }
  if (library == nullptr) {
    std::fprintf(stderr, "usage: velunor_regsvr [-u] [--soft] LIBRARY\n");
    return 2;
  }
  const int failure = soft ? 0 : 1;
  void* handle = ::dlopen(library, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    std::fprintf(stderr, "velunor_regsvr: %s\n", ::dlerror());
    return failure;
  }
  const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
  auto fn = reinterpret_cast<platform::com::DllRegisterServerFn>(::dlsym(handle, entry));
  if (fn == nullptr) {
    std::fprintf(stderr, "velunor_regsvr: %s has no %s\n", library, entry);
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
  std::printf("%s %s in %s\n", library, unregister ? "unregistered" : "registered",
              registry.c_str());
  return 0;
}
