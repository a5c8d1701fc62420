#pragma once

// The ECG pictures live in demo/ (the program's demonstration drive uses
// them too); the benchmarks keep their names.
#include "demo/ecg_picture.h"

namespace bench {
using demo::EcgPicture;
using demo::WriteEcgJpeg;
}  // namespace bench
