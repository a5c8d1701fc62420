#pragma once

// The drive generator lives in demo/ (the program's demonstration drive is
// written by its neighbour); the benchmarks keep their names.
#include "demo/sample_drive.h"

namespace bench {
using demo::DriveSize;
using demo::GenerateDrive;
using demo::ImageNameOf;
}  // namespace bench
