#include "help/guide_files.h"

#include <system_error>

#include "platform/component.h"

namespace help {

std::vector<std::filesystem::path> GuideFolders() {
  std::vector<std::filesystem::path> folders;
  const std::filesystem::path program = platform::ExecutableDirectory();
  if (!program.empty()) {
    folders.push_back((program / ".." / "share" / "doc" / "velunor2").lexically_normal());
  }
  folders.emplace_back(VELUNOR_SOURCE_DOCS);
  return folders;
}

std::filesystem::path FindGuide() {
  for (const std::filesystem::path& folder : GuideFolders()) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(folder / kGuideFileName, ec)) {
      return folder / kGuideFileName;
    }
  }
  return {};
}

}  // namespace help
