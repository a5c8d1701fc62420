#include "tests/support/sort_component.h"

#include <cstdlib>
#include <string>

#include "platform/component.h"
#include "sortlib/zuvasortmem.h"

namespace testing_support {

SortComponent::SortComponent(const std::filesystem::path& folder,
                             const std::filesystem::path& library)
    : registry_(folder / "components.ini") {
  if (const char* before = std::getenv("VELUNOR_COMPONENT_REGISTRY")) {
    hadRegistry_ = true;
    previous_ = before;
  }
  setenv("VELUNOR_COMPONENT_REGISTRY", registry_.c_str(), 1);
  Register(library);
}

SortComponent::~SortComponent() {
  platform::FreeUnusedLibraries();
  if (hadRegistry_) {
    setenv("VELUNOR_COMPONENT_REGISTRY", previous_.c_str(), 1);
  } else {
    unsetenv("VELUNOR_COMPONENT_REGISTRY");
  }
}

bool SortComponent::Register(const std::filesystem::path& library) {
  registered_ = platform::RegisterComponent(zuvasort::kZuvaSortMemClassId,
                                            {std::string(zuvasort::kProgId), library.string(),
                                             std::string(zuvasort::kTypeLibraryName)})
                    .ok();
  return registered_;
}

}  // namespace testing_support
