#pragma once

#include <QImage>
#include <QSize>
#include <string>

namespace platform {

// A JPEG of three colour components (YCbCr or RGB, baseline or progressive,
// no colour profile or comment) decoded at `scaledSize`, to the very pixels
// Qt's reader gives for it: scaled down by M/8 while it is decoded (the
// smallest M that keeps it at least as large as `scaledSize`), then
// smooth-scaled to `scaledSize`. The colours go straight into the 32-bit
// rows instead of through a 24-bit row each. A null image for anything else
// (another kind of picture, grey or CMYK, a colour profile or comment,
// a broken file):
// the caller then decodes it through Qt.
QImage DecodeJpegScaled(const std::string& bytes, QSize scaledSize);

}  // namespace platform
