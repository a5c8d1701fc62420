#pragma once

#include <QImage>
#include <QString>
#include <cstdint>

namespace demo {

// An ECG-like picture as a scanned recording looks: four leads of PQRST
// complexes over the pink millimetre grid (25 mm/s, 10 mm/mV), the amplitudes
// varied by `seed`, `caption` printed in the corner. The heart rate (beats a
// minute) is `heartRate`, or chosen by `seed` between 55 and 105 when 0.
// Needs a QGuiApplication (for the caption's font).
QImage EcgPicture(std::uint32_t seed, const QString& caption, int width = 800, int height = 548,
                  double heartRate = 0);

// Writes EcgPicture as a JPEG of quality 50, as the system stores its images.
bool WriteEcgJpeg(const QString& path, std::uint32_t seed, const QString& caption,
                  double heartRate = 0);

}  // namespace demo
