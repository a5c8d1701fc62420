#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace testing_support {

// Points XDG_CACHE_HOME at a fresh folder for the life of the test program,
// so that what the windows keep in the user's cache (picture thumbnails)
// goes there and not into the cache of whoever runs the tests.
class TemporaryCache {
 public:
  TemporaryCache() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "velunor-test-cache-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) {
      folder_ = pattern;
      ::setenv("XDG_CACHE_HOME", pattern.c_str(), 1);
    }
  }
  ~TemporaryCache() {
    std::error_code ec;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
  }
  TemporaryCache(const TemporaryCache&) = delete;
  TemporaryCache& operator=(const TemporaryCache&) = delete;

 private:
  std::filesystem::path folder_;
};

}  // namespace testing_support
