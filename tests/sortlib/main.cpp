#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "fixture.h"

namespace sortlib_test {

namespace {
std::filesystem::path& RegistryFile() {
  static std::filesystem::path file;
  return file;
}
}  // namespace

void UseTestRegistry() {
  setenv("VELUNOR_COMPONENT_REGISTRY", RegistryFile().c_str(), 1);
  ASSERT_TRUE(platform::RegisterComponent(zuvasort::kZuvaSortMemClassId,
                                          {std::string(zuvasort::kProgId), kLibraryPath,
                                           std::string(zuvasort::kTypeLibraryName)})
                  .ok());
}

}  // namespace sortlib_test

int main(int argc, char** argv) {
  char dir[] = "/tmp/sortlib-test-XXXXXX";
  if (mkdtemp(dir) == nullptr) return 1;
  sortlib_test::RegistryFile() = std::filesystem::path(dir) / "components.ini";
  setenv("VELUNOR_COMPONENT_REGISTRY", sortlib_test::RegistryFile().c_str(), 1);
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return result;
}
