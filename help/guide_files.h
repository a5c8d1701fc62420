#pragma once

#include <filesystem>
#include <vector>

namespace help {

// The file name of the Japanese guide; its pictures are in images/ beside it.
inline constexpr const char* kGuideFileName = "guide-ja.md";

// The folders where the guide is looked for, in order: where the package
// installs it (<program folder>/../share/doc/velunor2), then the source
// tree's docs/ of the build the program came from.
std::vector<std::filesystem::path> GuideFolders();

// The first guide file of GuideFolders() that exists; empty when none does.
std::filesystem::path FindGuide();

}  // namespace help
