#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace demo {

struct DriveSize {
  int exams = 1000;
  int patients = 1000;
  std::uint32_t seed = 2006;
};

// Writes a data drive under `root` as a clinic's would look: "VLN2.ekg" with
// `exams` examinations (cp932 names, dates in order, IDs of the master,
// findings and arrhythmias from the built-in vocabularies, image names
// "E0000001"...), "KANJYA.MASTA" with `patients` patients in ascending ID
// order, and the four lookup lists. Existing files are replaced; no picture
// is written. Returns the image names of the examinations, in record order.
std::vector<std::string> GenerateDrive(const std::filesystem::path& root, const DriveSize& size);

// The image name of examination n.
std::string ImageNameOf(int n);

}  // namespace demo
