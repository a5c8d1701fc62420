#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

// The sort component registered for one test: a component registry of the
// test's own in `folder` (VELUNOR_COMPONENT_REGISTRY points there while this
// lives), holding the class identity with `library` as its library (the real
// component, or a path that is missing or broken). On destruction the
// libraries no longer in use are unloaded and the registry variable is put
// back as it was.
class SortComponent {
 public:
  SortComponent(const std::filesystem::path& folder, const std::filesystem::path& library);
  ~SortComponent();
  SortComponent(const SortComponent&) = delete;
  SortComponent& operator=(const SortComponent&) = delete;

  // Registers another library under the class identity; false when the
  // registry could not be written.
  bool Register(const std::filesystem::path& library);
  // The last registration was written.
  bool Registered() const { return registered_; }

 private:
  std::filesystem::path registry_;
  bool hadRegistry_ = false;
  std::string previous_;
  bool registered_ = false;
};

}  // namespace testing_support
